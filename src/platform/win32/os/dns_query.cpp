// The IP configuration (iphlpapi) and the DNS query (Dnsapi), to a server
// of either family.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/os/dns_record_data.h"
#include "platform/win32/os/text_encoding.h"
#include "platform/win32/os/win32_os.h"

namespace hw::win32 {
namespace {

// Where FIXED_INFO keeps the address of its first DNS server.
constexpr std::size_t kFirstDnsServerOffset = offsetof(FIXED_INFO, DnsServerList) + offsetof(IP_ADDR_STRING, IpAddress);
constexpr std::size_t kDnsServerFieldSize = sizeof(IP_ADDRESS_STRING);
static_assert(kDnsServerFieldSize == 16);
// The published 32-bit layouts the program's records were described in.
static_assert(sizeof(void*) != 4 || (sizeof(FIXED_INFO) == kFixedInfoSize && kFirstDnsServerOffset == 268 + 4));
static_assert(sizeof(void*) != 4 || offsetof(DNS_RECORDA, Data) == 24);
static_assert(DnsSectionAnswer == kDnsSectionAnswer && DnsSectionAddtional == kDnsSectionAdditional);
static_assert(DNS_TYPE_A == kDnsTypeA);
static_assert(MIB_IF_TYPE_PPP == kIfTypePpp && IF_TYPE_TUNNEL == kIfTypeTunnel);
static_assert(DNS_QUERY_NO_LOCAL_NAME == kDnsQueryNoLocalName && DNS_QUERY_NO_HOSTS_FILE == kDnsQueryNoHostsFile &&
              DNS_QUERY_NO_NETBT == kDnsQueryNoNetbt);

// IP4_ARRAY ends in a one-element array that really holds AddrCount
// addresses: built in storage of the right size.
class ServerList {
 public:
  explicit ServerList(const Ip4Array& servers)
      : storage_(1 + std::max<std::size_t>(servers.AddrArray.size(), 1)) {
    storage_[0] = static_cast<DWORD>(servers.AddrArray.size());
    std::copy(servers.AddrArray.begin(), servers.AddrArray.end(), storage_.begin() + 1);
  }
  PIP4_ARRAY get() { return reinterpret_cast<PIP4_ARRAY>(storage_.data()); }

 private:
  static_assert(offsetof(IP4_ARRAY, AddrArray) == sizeof(DWORD));
  std::vector<DWORD> storage_;
};

// A text field of fixed size, up to its first NUL.
std::string FixedText(const char* field, std::size_t size) {
  return win32::FromAnsi(std::string_view(field, strnlen(field, size)));
}

// Copies a record list the system owns into records of ours. `nameOf` makes
// its names UTF-8: DnsQuery_A answers in the ANSI code page, DnsQueryEx in
// wide characters.
template <class Record, class NameOf>
void CopyRecords(const Record* record, NameOf nameOf, std::vector<DnsRecord>& records) {
  for (; record; record = record->pNext) {
    DnsRecord copy;
    copy.wType = record->wType;
    copy.Section = static_cast<uint8_t>(record->Flags.S.Section);
    copy.pName = nameOf(record->pName);
    if (win32::RecordDataIsName(record->wType)) copy.pNameHost = nameOf(record->Data.PTR.pNameHost);
    if (record->wType == DNS_TYPE_A) copy.IpAddress = record->Data.A.IpAddress;
    if (record->wType == DNS_TYPE_AAAA) std::memcpy(copy.Ip6Address.data(), &record->Data.AAAA.Ip6Address, 16);
    records.push_back(std::move(copy));
  }
}

}  // namespace

uint32_t Win32Os::GetNetworkParams(FixedInfo* info, uint32_t& outBufLen) {
  auto getParams = system_.GetNetworkParams.Get();
  ULONG length = outBufLen;
  if (!info) {
    DWORD result = getParams(nullptr, &length);
    outBufLen = length;
    return result;
  }
  // Exactly the size the caller names; new[] storage is aligned for any record.
  const std::size_t size = length;
  std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[size == 0 ? 1 : size]());
  if (!buffer) return ERROR_NOT_ENOUGH_MEMORY;
  DWORD result = getParams(reinterpret_cast<PFIXED_INFO>(buffer.get()), &length);
  if (result == ERROR_SUCCESS && size >= kFirstDnsServerOffset + kDnsServerFieldSize) {
    const char* field = reinterpret_cast<const char*>(buffer.get()) + kFirstDnsServerOffset;
    info->DnsServerIpAddress = win32::FromAnsi(std::string_view(field, kDnsServerFieldSize));
  }
  outBufLen = length;
  return result;
}

// The list is asked for its size first and then filled; between the two
// calls an adapter may come, so a second overflow asks once more.
uint32_t Win32Os::GetAdaptersInfo(std::vector<IpAdapterInfo>& adapters) {
  auto getAdapters = system_.GetAdaptersInfo.Get();
  adapters.clear();
  ULONG length = 0;
  DWORD result = ERROR_BUFFER_OVERFLOW;
  std::unique_ptr<unsigned char[]> buffer;
  for (int attempt = 0; attempt < 3 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
    buffer.reset(length ? new (std::nothrow) unsigned char[length]() : nullptr);
    if (length && !buffer) return ERROR_NOT_ENOUGH_MEMORY;
    result = getAdapters(reinterpret_cast<PIP_ADAPTER_INFO>(buffer.get()), &length);
  }
  if (result != ERROR_SUCCESS) return result;
  for (auto* adapter = reinterpret_cast<const IP_ADAPTER_INFO*>(buffer.get()); adapter; adapter = adapter->Next) {
    IpAdapterInfo copy;
    copy.AdapterName = FixedText(adapter->AdapterName, sizeof adapter->AdapterName);
    copy.Type = adapter->Type;
    for (const IP_ADDR_STRING* address = &adapter->IpAddressList; address; address = address->Next)
      copy.IpAddressList.push_back(FixedText(address->IpAddress.String, sizeof address->IpAddress.String));
    adapters.push_back(std::move(copy));
  }
  return ERROR_SUCCESS;
}

int32_t Win32Os::DnsQuery_A(const std::string& name, uint16_t type, uint32_t options, const Ip4Array* extra,
                            DnsRecordList& results) {
  auto query = system_.DnsQuery_A.Get();
  // Bound before the query: whoever receives the list must be able to free it.
  auto freeList = system_.DnsRecordListFree.Get();

  std::optional<ServerList> servers;
  if (extra) servers.emplace(*extra);
  PDNS_RECORD list = nullptr;
  DNS_STATUS status = query(win32::ToAnsi(name).c_str(), type, options, servers ? servers->get() : nullptr,
                            &list, nullptr);

  results.records.clear();
  results.owner.reset();
  if (!list) return status;
  // The owner first, so the list is freed even if copying fails half-way.
  results.owner = Released([freeList, list] { freeList(list, DnsFreeRecordList); });
  CopyRecords(reinterpret_cast<const DNS_RECORDA*>(list), [this](const char* name) { return CopyName(name); },
              results.records);
  return status;
}

int32_t Win32Os::DnsQuery_A(const std::string& name, uint16_t type, uint32_t options, const SocketAddress& server,
                            DnsRecordList& results) {
  if (auto onlyThisServer = OnlyIpv4Server(server)) return DnsQuery_A(name, type, options, &*onlyThisServer, results);
  results.records.clear();
  results.owner.reset();
  if (server.family != kAfInet6) return DNS_ERROR_NO_DNS_SERVERS;
  // DnsQuery_A's server list holds IPv4 addresses only. From Windows 8 on
  // DnsQueryEx takes an IPv6 server; before it, the server is not asked
  // rather than leaving the choice to the system's own servers.
  DnsQueryExFunction queryEx = nullptr;
  try {
    queryEx = system_.DnsQueryEx.Get();
  } catch (const MissingFunction&) {
    return DNS_ERROR_NO_DNS_SERVERS;
  }
  auto freeList = system_.DnsRecordListFree.Get();

  win32::DnsAddrArrayOfOne servers = win32::Ipv6ServerList(server.bytes);
  const std::wstring wideName = win32::Utf8ToWide(name);
  win32::DnsQueryRequest request;
  request.QueryName = wideName.c_str();
  request.QueryType = type;
  request.QueryOptions = options;
  request.pDnsServerList = &servers;
  DNS_QUERY_RESULT answer{};
  answer.Version = win32::kDnsQueryResultsVersion1;
  DNS_STATUS status = queryEx(&request, &answer, nullptr);
  if (status == ERROR_SUCCESS) status = answer.QueryStatus;

  PDNS_RECORD list = answer.pQueryRecords;
  if (!list) return status;
  results.owner = Released([freeList, list] { freeList(list, DnsFreeRecordList); });
  auto utf8Of = [](const wchar_t* text) { return text ? win32::WideToUtf8(std::wstring_view(text)) : std::string(); };
  CopyRecords(reinterpret_cast<const DNS_RECORDW*>(list), utf8Of, results.records);
  return status;
}

}  // namespace hw::win32
