/* The floor of a log-on check: start a process, send one PTR query with
 * c-ares to one server, print the first name of the answer, exit. Nothing
 * else the program does (names, versions, addresses, windows) is here, so
 * no check can be faster than this.
 * Usage: floor ADDRESS SERVER  (e.g. floor 192.0.2.7 192.0.2.53) */
#include <ares.h>
#include <arpa/nameser.h>
#include <netdb.h>
#include <stdio.h>
#include <string.h>
#include <sys/select.h>

static void on_answer(void *arg, int status, int timeouts, unsigned char *abuf, int alen) {
  (void)timeouts;
  int *result = arg;
  struct hostent *host = NULL;
  *result = 1;
  if (status != ARES_SUCCESS || ares_parse_ptr_reply(abuf, alen, NULL, 0, AF_INET, &host) != ARES_SUCCESS) return;
  /* the first PTR name of the answer is the first alias */
  const char *name = host->h_aliases && host->h_aliases[0] ? host->h_aliases[0] : host->h_name;
  printf("%s\n", name);
  ares_free_hostent(host);
  *result = 0;
}

static int reverse_name(const char *address, char *out, size_t size) {
  unsigned a, b, c, d;
  char tail;
  if (sscanf(address, "%u.%u.%u.%u%c", &a, &b, &c, &d, &tail) != 4) return -1;
  return snprintf(out, size, "%u.%u.%u.%u.IN-ADDR.ARPA", d, c, b, a) < (int)size ? 0 : -1;
}

int main(int argc, char **argv) {
  char name[64];
  if (argc != 3 || reverse_name(argv[1], name, sizeof name) != 0) {
    fprintf(stderr, "usage: floor ADDRESS SERVER\n");
    return 2;
  }
  ares_library_init(ARES_LIB_INIT_ALL);
  struct ares_options options;
  memset(&options, 0, sizeof options);
  options.timeout = 1500;
  options.tries = 2;
  options.lookups = "b";
  ares_channel channel;
  if (ares_init_options(&channel, &options, ARES_OPT_TIMEOUTMS | ARES_OPT_TRIES | ARES_OPT_LOOKUPS) != ARES_SUCCESS ||
      ares_set_servers_csv(channel, argv[2]) != ARES_SUCCESS) {
    fprintf(stderr, "floor: c-ares would not start\n");
    return 2;
  }
  int result = -1;
  ares_query(channel, name, ns_c_in, ns_t_ptr, on_answer, &result);
  while (result < 0) {
    fd_set readers, writers;
    FD_ZERO(&readers);
    FD_ZERO(&writers);
    int count = ares_fds(channel, &readers, &writers);
    if (count == 0) break;
    struct timeval wait;
    struct timeval *next = ares_timeout(channel, NULL, &wait);
    select(count, &readers, &writers, NULL, next);
    ares_process(channel, &readers, &writers);
  }
  ares_destroy(channel);
  ares_library_cleanup();
  return result == 0 ? 0 : 1;
}
