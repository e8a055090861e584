#include "platform/posix/os/ipv6_default_route.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace hw::posix {
namespace {

constexpr std::size_t kReceiveBuffer = 32 * 1024;

std::string InterfaceNamed(int index) {
  char name[IF_NAMESIZE] = {};
  return index > 0 && ::if_indextoname(static_cast<unsigned>(index), name) ? name : "";
}

template <typename Value>
Value AttributeValue(const rtattr* attribute) {
  Value value{};
  std::memcpy(&value, RTA_DATA(attribute), std::min<std::size_t>(sizeof value, RTA_PAYLOAD(attribute)));
  return value;
}

// A route spread over several next hops: the first one stands for it.
void TakeFirstNextHop(const rtattr* multipath, KernelIpv6Route& route) {
  const auto* hop = static_cast<const rtnexthop*>(RTA_DATA(multipath));
  int left = static_cast<int>(RTA_PAYLOAD(multipath));
  if (left < static_cast<int>(sizeof(rtnexthop)) || hop->rtnh_len < sizeof(rtnexthop) || hop->rtnh_len > left) return;
  route.interface = InterfaceNamed(hop->rtnh_ifindex);
  route.dead = route.dead || (hop->rtnh_flags & RTNH_F_DEAD);
  int attributesLeft = hop->rtnh_len - static_cast<int>(sizeof(rtnexthop));
  for (const rtattr* attribute = RTNH_DATA(hop); RTA_OK(attribute, attributesLeft);
       attribute = RTA_NEXT(attribute, attributesLeft))
    if (attribute->rta_type == RTA_GATEWAY && RTA_PAYLOAD(attribute) == 16)
      std::memcpy(route.nextHop.bytes.data(), RTA_DATA(attribute), 16);
}

KernelIpv6Route RouteOf(const nlmsghdr* message) {
  const auto* header = static_cast<const rtmsg*>(NLMSG_DATA(message));
  KernelIpv6Route route;
  route.table = header->rtm_table;
  route.type = header->rtm_type;
  route.destinationLength = header->rtm_dst_len;
  route.dead = (header->rtm_flags & RTNH_F_DEAD) != 0;
  int left = static_cast<int>(RTM_PAYLOAD(message));
  for (const rtattr* attribute = RTM_RTA(header); RTA_OK(attribute, left); attribute = RTA_NEXT(attribute, left)) {
    switch (attribute->rta_type) {
      case RTA_TABLE: route.table = AttributeValue<uint32_t>(attribute); break;  // tables past 255
      case RTA_DST:
        if (RTA_PAYLOAD(attribute) == 16) std::memcpy(route.destination.data(), RTA_DATA(attribute), 16);
        break;
      case RTA_GATEWAY:
        if (RTA_PAYLOAD(attribute) == 16) std::memcpy(route.nextHop.bytes.data(), RTA_DATA(attribute), 16);
        break;
      case RTA_OIF: route.interface = InterfaceNamed(AttributeValue<int>(attribute)); break;
      case RTA_PRIORITY: route.metric = AttributeValue<uint32_t>(attribute); break;
      case RTA_MULTIPATH: TakeFirstNextHop(attribute, route); break;
      default: break;
    }
  }
  return route;
}

bool AskForAllRoutes(int socket) {
  struct {
    nlmsghdr header;
    rtmsg route;
  } request{};
  request.header.nlmsg_len = NLMSG_LENGTH(sizeof(rtmsg));
  request.header.nlmsg_type = RTM_GETROUTE;
  request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
  request.header.nlmsg_seq = 1;
  request.route.rtm_family = AF_INET6;
  sockaddr_nl kernel{};
  kernel.nl_family = AF_NETLINK;
  return ::sendto(socket, &request, request.header.nlmsg_len, 0, reinterpret_cast<sockaddr*>(&kernel),
                  sizeof kernel) == static_cast<ssize_t>(request.header.nlmsg_len);
}

// Reads the dump's answers until its end; false on an error or a torn dump.
bool ReadRoutes(int socket, std::vector<KernelIpv6Route>& routes) {
  alignas(nlmsghdr) char buffer[kReceiveBuffer];
  while (true) {
    ssize_t received = ::recv(socket, buffer, sizeof buffer, 0);
    if (received <= 0) return false;
    int left = static_cast<int>(received);
    for (auto* message = reinterpret_cast<nlmsghdr*>(buffer); NLMSG_OK(message, left);
         message = NLMSG_NEXT(message, left)) {
      if (message->nlmsg_type == NLMSG_DONE) return true;
      if (message->nlmsg_type == NLMSG_ERROR) return false;
      if (message->nlmsg_flags & NLM_F_DUMP_INTR) return false;
      if (message->nlmsg_type == RTM_NEWROUTE && message->nlmsg_len >= NLMSG_LENGTH(sizeof(rtmsg)))
        routes.push_back(RouteOf(message));
    }
  }
}

}  // namespace

Ipv6DefaultRoute Ipv6DefaultRouteAmong(const std::vector<KernelIpv6Route>& routes) {
  Ipv6DefaultRoute chosen;
  uint32_t lowestMetric = 0;
  for (const auto& route : routes) {
    bool isDefault = route.destinationLength == 0 && route.destination == std::array<uint8_t, 16>{};
    if (route.table != RT_TABLE_MAIN || route.type != RTN_UNICAST || !isDefault || route.dead ||
        route.interface.empty() || route.interface == "lo")
      continue;
    if (chosen.interface.empty() || route.metric < lowestMetric) {
      chosen = {route.interface, route.nextHop};
      lowestMetric = route.metric;
    }
  }
  return chosen;
}

std::vector<KernelIpv6Route> CurrentIpv6Routes() {
  std::vector<KernelIpv6Route> routes;
  int socket = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
  if (socket < 0) return routes;
  timeval limit{2, 0};  // the kernel answers at once; never hang the log-on check
  ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  if (!AskForAllRoutes(socket) || !ReadRoutes(socket, routes)) routes.clear();
  ::close(socket);
  return routes;
}

}  // namespace hw::posix
