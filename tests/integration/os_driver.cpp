// Drives the Linux layer's OS functions one at a time for the namespace
// tests, printing what they return. It sends DNS queries and sets the host
// name, so it runs only inside the namespaces that the test harness (tests/harness) makes
// and refuses everywhere else.
//
//   os_driver dns-query [--timeout-ms N] [--tries N] [--type N] NAME (--null | SERVER...)
//       prints {"status":S,"records":[[type, owner, name, address, section]...]}
//   os_driver set-hostname NAME [DNSNAME]  SetComputerNameExA(5, NAME) after a check that
//                                      found DNSNAME; "0 rights" when refused for rights
//   os_driver set-hostname-plain NAME  SetComputerNameA(NAME)
//   os_driver connected                InternetGetConnectedState
#include <arpa/inet.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "platform/posix/os/posix_os.h"
#include "report/escaping.h"

namespace {

std::string NamespaceOf(const std::string& pid, const char* kind) {
  char target[128] = {};
  std::string link = "/proc/" + pid + "/ns/" + kind;
  ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
  return length > 0 ? std::string(target, static_cast<std::size_t>(length)) : "";
}

// The namespaces must all differ from those the test was started in (which
// the harness passes down) and from PID 1's, where they can be read.
bool InOwnNamespaces() {
  const char* outer = std::getenv("HOSTWARDEN_TEST_OUTER_NS");
  if (!outer || !*outer) return false;
  for (const char* kind : {"net", "uts", "mnt"}) {
    std::string mine = NamespaceOf("self", kind);
    if (mine.empty() || std::string(outer).find(mine) != std::string::npos) return false;
    if (NamespaceOf("1", kind) == mine) return false;
  }
  return true;
}

int DnsQuery(std::vector<std::string> args) {
  hw::posix::DnsQueryLimits limits;
  int type = hw::kDnsTypePtr;
  while (args.size() >= 2 && args[0].rfind("--", 0) == 0 && args[0] != "--null") {
    (args[0] == "--timeout-ms" ? limits.timeoutMs : args[0] == "--type" ? type : limits.tries) = std::stoi(args[1]);
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.empty()) return 64;
  hw::posix::PosixOs os({}, limits);
  hw::Ip4Array servers;
  bool null = args.size() > 1 && args[1] == "--null";
  for (std::size_t i = 1; i < args.size() && !null; ++i) servers.AddrArray.push_back(os.inet_addr(args[i]));
  hw::DnsRecordList results;
  int32_t status = os.DnsQuery_A(args[0], static_cast<uint16_t>(type), hw::kDnsQueryBypassCache,
                                 null ? nullptr : &servers, results);
  std::cout << "{\"status\":" << status << ",\"records\":[";
  for (std::size_t i = 0; i < results.records.size(); ++i) {
    const auto& record = results.records[i];
    char address[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &record.IpAddress, address, sizeof address);
    std::cout << (i ? "," : "") << "[" << record.wType << "," << hw::report::JsonString(record.pName) << ","
              << hw::report::JsonString(record.pNameHost) << "," << hw::report::JsonString(address) << ","
              << static_cast<int>(record.Section) << "]";
  }
  std::cout << "]}\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (!InOwnNamespaces()) {
    std::cerr << "os_driver: refusing to run outside the test's own namespaces\n";
    return 3;
  }
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return 64;
  std::string command = args.front();
  args.erase(args.begin());
  hw::posix::PosixOs os;
  if (command == "dns-query") return DnsQuery(args);
  if (command == "set-hostname" && (args.size() == 1 || args.size() == 2)) {
    const std::string dnsName = args.size() == 2 ? args[1] : "";
    int result = os.SetComputerNameWithDnsName(hw::kComputerNamePhysicalDnsHostname, args[0], dnsName);
    std::cout << result << (result == 0 && os.RenameRefusedForRights() ? " rights" : "") << "\n";
    return 0;
  }
  if (command == "set-hostname-plain" && args.size() == 1) {
    std::cout << os.SetComputerNameA(args[0]) << "\n";
    return 0;
  }
  if (command == "connected") {
    uint32_t flags = 0;
    int result = os.InternetGetConnectedState(flags, 0);
    std::cout << result << " " << flags << "\n";
    return 0;
  }
  return 64;
}
