/* Runs a command once and prints "<wall ns> <peak RSS KiB> <exit code>".
 * A child of a small process: the peak resident memory that the kernel
 * keeps for a child includes what the process held before exec, so a
 * child of the Python bench (spawned through vfork) would report Python's.
 * Usage: rusage COMMAND [ARG...]  (the command's output is thrown away) */
#define _GNU_SOURCE
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char **environ;

int main(int argc, char **argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: rusage COMMAND [ARG...]\n");
    return 2;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  struct timespec start, end;
  clock_gettime(CLOCK_MONOTONIC, &start);
  pid_t pid;
  if (posix_spawnp(&pid, argv[1], &actions, NULL, argv + 1, environ) != 0) {
    perror("rusage: spawn");
    return 2;
  }
  int status;
  struct rusage usage;
  if (wait4(pid, &status, 0, &usage) != pid) {
    perror("rusage: wait4");
    return 2;
  }
  clock_gettime(CLOCK_MONOTONIC, &end);
  long long ns = (end.tv_sec - start.tv_sec) * 1000000000LL + (end.tv_nsec - start.tv_nsec);
  int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  printf("%lld %ld %d\n", ns, usage.ru_maxrss, code);
  return 0;
}
