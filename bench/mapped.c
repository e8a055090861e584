/* Starts a window program and prints "<ns until its first window is mapped>
 * <peak RSS KiB> <code>", then ends the program (SIGTERM). The code is 0
 * when a window was mapped, 124 when none was within the time limit, and
 * the program's own when it ended first. The display is the one DISPLAY
 * names, with no window manager: a program's top-level windows are children
 * of the root window, whose MapNotify events we ask for before the start.
 * Usage: mapped SECONDS COMMAND [ARG...]  (the command's output is thrown away) */
#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char **environ;

static long long since(const struct timespec *start) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (now.tv_sec - start->tv_sec) * 1000000000LL + (now.tv_nsec - start->tv_nsec);
}

/* Waits for a MapNotify on the root window; 0 when one came, otherwise the
 * program's exit code or 124 at the time limit. */
static int wait_for_map(Display *display, pid_t pid, long long limit_ns, const struct timespec *start,
                        int *status, struct rusage *usage) {
  for (;;) {
    while (XPending(display)) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == MapNotify) return 0;
    }
    if (wait4(pid, status, WNOHANG, usage) == pid)
      return WIFEXITED(*status) ? WEXITSTATUS(*status) : 128 + WTERMSIG(*status);
    if (since(start) > limit_ns) return 124;
    struct pollfd fd = {ConnectionNumber(display), POLLIN, 0};
    poll(&fd, 1, 5);
  }
}

int main(int argc, char **argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: mapped SECONDS COMMAND [ARG...]\n");
    return 2;
  }
  Display *display = XOpenDisplay(NULL);
  if (!display) {
    fprintf(stderr, "mapped: cannot open the display\n");
    return 2;
  }
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XSync(display, False);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  struct timespec start;
  clock_gettime(CLOCK_MONOTONIC, &start);
  pid_t pid;
  if (posix_spawnp(&pid, argv[2], &actions, NULL, argv + 2, environ) != 0) {
    perror("mapped: spawn");
    return 2;
  }
  int status = 0;
  struct rusage usage = {0};
  int code = wait_for_map(display, pid, (long long)(atof(argv[1]) * 1e9), &start, &status, &usage);
  long long ns = since(&start);
  if (code == 0 || code == 124) {
    kill(pid, SIGTERM);
    wait4(pid, &status, 0, &usage);
  }
  printf("%lld %ld %d\n", ns, usage.ru_maxrss, code);
  XCloseDisplay(display);
  return 0;
}
