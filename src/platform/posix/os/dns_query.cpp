// DnsQuery_A for Linux: one PTR or A query to exactly the one server the caller
// names, through c-ares with its own server list, no hosts file and no
// cache, and a bounded wait so that a dead server cannot hold up a log-on.
// c-ares parses the answer; it follows a CNAME to the PTR records and
// refuses names with unsafe bytes.
#include <ares.h>
#include <arpa/inet.h>
#include <arpa/nameser.h>
#include <netdb.h>
#include <poll.h>

#include <chrono>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/posix/os/address_records.h"
#include "platform/posix/os/dns_status.h"
#include "platform/posix/os/ipv6_address_records.h"
#include "platform/posix/os/posix_os.h"
#include "platform/posix/os/ptr_records.h"

namespace hw::posix {
namespace {

struct QueryOutcome {
  bool done = false;
  int status = ARES_ETIMEOUT;
  std::vector<unsigned char> answer;
};

void OnAnswer(void* arg, int status, int /*timeouts*/, unsigned char* abuf, int alen) {
  auto* outcome = static_cast<QueryOutcome*>(arg);
  outcome->done = true;
  outcome->status = status;
  if (abuf && alen > 0) outcome->answer.assign(abuf, abuf + alen);
}

// A c-ares channel that asks one server only. Each query gets a channel of
// its own, so no answer can come from a cache that an earlier query filled.
class Channel {
 public:
  // `server`: the address as text, IPv4 or IPv6.
  Channel(const DnsQueryLimits& limits, const std::string& server) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { ares_library_init(ARES_LIB_INIT_ALL); });
    ares_options options{};
    options.timeout = limits.timeoutMs;
    options.tries = limits.tries;
    char lookups[] = "b";  // DNS only, never the hosts file
    options.lookups = lookups;
    // A refusal or server failure is the server's answer: report it rather
    // than asking again.
    options.flags = ARES_FLAG_NOCHECKRESP;
    int mask = ARES_OPT_TIMEOUTMS | ARES_OPT_TRIES | ARES_OPT_LOOKUPS | ARES_OPT_FLAGS;
    if (ares_init_options(&channel_, &options, mask) != ARES_SUCCESS) {
      channel_ = nullptr;
      return;
    }
    if (ares_set_servers_csv(channel_, server.c_str()) != ARES_SUCCESS) {
      ares_destroy(channel_);
      channel_ = nullptr;
    }
  }
  ~Channel() {
    if (channel_) ares_destroy(channel_);
  }
  Channel(const Channel&) = delete;
  Channel& operator=(const Channel&) = delete;

  ares_channel get() const { return channel_; }

 private:
  ares_channel channel_ = nullptr;
};

// Drives the channel until the query has finished or `overall` has passed.
void WaitForAnswer(ares_channel channel, const QueryOutcome& outcome, std::chrono::milliseconds overall) {
  auto deadline = std::chrono::steady_clock::now() + overall;
  while (!outcome.done) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      ares_cancel(channel);  // calls OnAnswer with ARES_ECANCELLED
      return;
    }
    ares_socket_t sockets[ARES_GETSOCK_MAXNUM];
    int bits = ares_getsock(channel, sockets, ARES_GETSOCK_MAXNUM);
    std::vector<pollfd> polled;
    for (int i = 0; i < ARES_GETSOCK_MAXNUM; ++i) {
      short events = 0;
      if (ARES_GETSOCK_READABLE(bits, i)) events |= POLLIN;
      if (ARES_GETSOCK_WRITABLE(bits, i)) events |= POLLOUT;
      if (events) polled.push_back({sockets[i], events, 0});
    }
    timeval maxWait{left.count() / 1000, static_cast<suseconds_t>((left.count() % 1000) * 1000)};
    timeval wait{};
    timeval* next = ares_timeout(channel, &maxWait, &wait);
    int waitMs = static_cast<int>(next->tv_sec * 1000 + (next->tv_usec + 999) / 1000);
    int ready = ::poll(polled.data(), polled.size(), waitMs);
    if (ready <= 0) {
      ares_process_fd(channel, ARES_SOCKET_BAD, ARES_SOCKET_BAD);  // lets c-ares see its time-outs
      continue;
    }
    for (const auto& entry : polled) {
      ares_socket_t readable = (entry.revents & (POLLIN | POLLERR | POLLHUP)) ? entry.fd : ARES_SOCKET_BAD;
      ares_socket_t writable = (entry.revents & POLLOUT) ? entry.fd : ARES_SOCKET_BAD;
      if (readable != ARES_SOCKET_BAD || writable != ARES_SOCKET_BAD) ares_process_fd(channel, readable, writable);
    }
  }
}

std::string Ipv4Text(uint32_t server) {
  char text[INET_ADDRSTRLEN] = {};
  in_addr address{};
  address.s_addr = server;
  return inet_ntop(AF_INET, &address, text, sizeof text) ? text : "";
}

// c-ares 1.18 takes a bare IPv6 address, and brackets only with a port.
std::string ServerText(const SocketAddress& server) {
  char text[INET6_ADDRSTRLEN] = {};
  if (server.family == kAfInet) return inet_ntop(AF_INET, server.bytes.data(), text, sizeof text) ? text : "";
  return inet_ntop(AF_INET6, server.bytes.data(), text, sizeof text) ? text : "";
}

bool IsUnicastIpv6Server(const SocketAddress& server) {
  static const std::array<uint8_t, 16> kUnspecified{};
  return server.bytes[0] != 0xFF && server.bytes != kUnspecified;
}

}  // namespace

// The PTR names of the answer, in answer order. c-ares gives them as the
// aliases of a host entry whose h_name is the last one.
int32_t PtrRecordsOf(const std::vector<unsigned char>& answer, const std::string& name, DnsRecordList& results) {
  hostent* host = nullptr;
  unsigned char address[4] = {};
  int status = ares_parse_ptr_reply(answer.data(), static_cast<int>(answer.size()), address, sizeof address,
                                    AF_INET, &host);
  if (status != ARES_SUCCESS) return DnsStatusOfAres(status);
  std::vector<DnsRecord> records;
  for (char** alias = host->h_aliases; alias && *alias; ++alias) records.push_back({kDnsTypePtr, name, *alias});
  if (records.empty() && host->h_name) records.push_back({kDnsTypePtr, name, host->h_name});
  ares_free_hostent(host);
  if (records.empty()) return kDnsInfoNoRecords;
  results.records = std::move(records);
  results.owner = Released([] {});  // the records are copies: nothing of c-ares's is held
  return kDnsStatusSuccess;
}

int32_t PosixOs::DnsQuery_A(const std::string& name, uint16_t type, uint32_t /*options*/, const Ip4Array* extra,
                            DnsRecordList& results) {
  if (!extra) return kErrorInvalidParameter;  // the system's own servers are never asked
  if (extra->AddrArray.empty()) return kDnsErrorNoDnsServers;
  uint32_t server = extra->AddrArray.front();
  if (!IsUnicastServer(server)) return kDnsErrorNoDnsServers;
  // The program asks for the PTR records of its address and the A or AAAA
  // records of the name they give.
  if (type != kDnsTypePtr && type != kDnsTypeA && type != kDnsTypeAaaa) return kErrorInvalidParameter;
  if (name.empty() || name.find('\0') != std::string::npos) return kErrorInvalidName;

  return QueryOneServer(name, type, Ipv4Text(server), results);
}

int32_t PosixOs::DnsQuery_A(const std::string& name, uint16_t type, uint32_t options, const SocketAddress& server,
                            DnsRecordList& results) {
  if (auto onlyThisServer = OnlyIpv4Server(server)) return DnsQuery_A(name, type, options, &*onlyThisServer, results);
  if (server.family != kAfInet6 || !IsUnicastIpv6Server(server)) return kDnsErrorNoDnsServers;
  // A PC whose only servers are IPv6 ones asks them its IPv4 questions too.
  if (type != kDnsTypePtr && type != kDnsTypeA && type != kDnsTypeAaaa) return kErrorInvalidParameter;
  if (name.empty() || name.find('\0') != std::string::npos) return kErrorInvalidName;
  return QueryOneServer(name, type, ServerText(server), results);
}

int32_t PosixOs::QueryOneServer(const std::string& name, uint16_t type, const std::string& server,
                                DnsRecordList& results) {
  if (server.empty()) return kDnsErrorNoDnsServers;
  QueryOutcome outcome;  // outlives the channel, whose end may still report to it
  Channel channel(limits_, server);
  if (!channel.get()) return kErrorOutOfMemory;
  const int queryType = type == kDnsTypeA ? ns_t_a : type == kDnsTypeAaaa ? ns_t_aaaa : ns_t_ptr;
  ares_query(channel.get(), name.c_str(), ns_c_in, queryType, OnAnswer, &outcome);
  WaitForAnswer(channel.get(), outcome, std::chrono::milliseconds(limits_.overallMs));
  if (outcome.status != ARES_SUCCESS) return DnsStatusOfAres(outcome.status);
  if (type == kDnsTypeA) return AddressRecordsOf(outcome.answer, results);
  if (type == kDnsTypeAaaa) return Ipv6AddressRecordsOf(outcome.answer, results);
  return PtrRecordsOf(outcome.answer, name, results);
}

}  // namespace hw::posix
