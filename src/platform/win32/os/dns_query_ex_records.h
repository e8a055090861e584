// The records of DnsQueryEx (dnsapi, Windows 8 on), the one DNS query of
// Windows that takes a server of either family. mingw-w64 declares the result
// record only; the request and the server list are written out here after
// the published windns.h, in plain types, so their layout can be tested
// without Windows headers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace hw::win32 {

inline constexpr std::uint32_t kDnsQueryRequestVersion1 = 1;
inline constexpr std::uint32_t kDnsQueryResultsVersion1 = 1;
inline constexpr std::uint16_t kWindowsAfInet6 = 23;
inline constexpr std::uint16_t kDnsPort = 53;

// DNS_ADDR: a socket address in room for the largest one, and data the
// system keeps with it.
struct DnsAddr {
  std::array<std::uint8_t, 32> MaxSa{};  // DNS_ADDR_MAX_SOCKADDR_LENGTH
  std::array<std::uint32_t, 8> Data{};
};
static_assert(sizeof(DnsAddr) == 64);

// DNS_ADDR_ARRAY with room for exactly one address, all the program asks.
struct DnsAddrArrayOfOne {
  std::uint32_t MaxCount = 1;
  std::uint32_t AddrCount = 1;
  std::uint32_t Tag = 0;
  std::uint16_t Family = kWindowsAfInet6;
  std::uint16_t WordReserved = 0;
  std::uint32_t Flags = 0;
  std::uint32_t MatchFlag = 0;
  std::uint32_t Reserved1 = 0;
  std::uint32_t Reserved2 = 0;
  DnsAddr AddrArray[1];
};
static_assert(offsetof(DnsAddrArrayOfOne, AddrArray) == 32);

// The server list of one IPv6 server: its SOCKADDR_IN6 (family, port 53 in
// network order, no flow label, the address, no scope) in the first entry.
inline DnsAddrArrayOfOne Ipv6ServerList(const std::array<std::uint8_t, 16>& address) {
  DnsAddrArrayOfOne list{};
  std::uint8_t* sa = list.AddrArray[0].MaxSa.data();
  std::memcpy(sa, &kWindowsAfInet6, 2);  // sin6_family, in the machine's order like every short of the record
  sa[2] = static_cast<std::uint8_t>(kDnsPort >> 8);  // sin6_port, network order
  sa[3] = static_cast<std::uint8_t>(kDnsPort & 0xFF);
  std::memcpy(sa + 8, address.data(), address.size());  // after sin6_flowinfo
  return list;
}

// DNS_QUERY_REQUEST, version 1. Without a completion routine the query is
// answered before DnsQueryEx returns.
struct DnsQueryRequest {
  std::uint32_t Version = kDnsQueryRequestVersion1;
  const wchar_t* QueryName = nullptr;
  std::uint16_t QueryType = 0;
  std::uint64_t QueryOptions = 0;
  DnsAddrArrayOfOne* pDnsServerList = nullptr;
  std::uint32_t InterfaceIndex = 0;
  void* pQueryCompletionCallback = nullptr;
  void* pQueryContext = nullptr;
};

}  // namespace hw::win32
