#include "resolve/local_addresses.h"

#include <algorithm>
#include <string>
#include <vector>

#include "resolve/sockets.h"
#include "resolve/sockets_held.h"
#include "text/catalogue.h"
#include "text/text.h"

namespace hw {
namespace {

constexpr int kHostNameBufferLength = 256;

// The first `length` bytes of one address, each in decimal, joined by ".".
// An entry shorter than the answer's address length gives only what it holds.
std::string AddressText(const std::vector<uint8_t>& address, int16_t length) {
  const std::size_t count = std::min<std::size_t>(address.size(), length > 0 ? static_cast<std::size_t>(length) : 0);
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) text += '.';
    text += std::to_string(address[i]);
  }
  return text;
}

// Everything between the start and the clean-up of Windows Sockets.
bool ListWhileSocketsHeld(Os& os, Forms& forms, Control& cbo_IP) {
  std::string buffer(kHostNameBufferLength, ' ');
  if (os.gethostname(buffer, kHostNameBufferLength) == kSocketError) {
    forms.MsgBox(Text(Msg::GetHostnameFailed, {std::to_string(os.WSAGetLastError())}), kMbIconHand);
    return false;
  }
  const std::string hostName(TrimSpaces(TrimAtNul(buffer)));

  const auto answer = os.gethostbyname(hostName);
  // An answer without any address is as useless as none: there would be
  // nothing to select, and the box must stay unchanged on failure.
  if (!answer || answer->h_addr_list.empty()) {
    forms.MsgBox(std::string(Text(Msg::GetHostByNameFailed)), kMbIconHand);
    return false;
  }
  for (const auto& address : answer->h_addr_list) cbo_IP.AddItem(AddressText(address, answer->h_length));
  cbo_IP.SetListIndex(0);  // only after every address is in the box
  return true;
}

}  // namespace

bool ListLocalAddresses(Os& os, Forms& forms, Control& cbo_IP) {
  if (!SocketsStartup(os, forms)) return false;
  const bool listed = ReleasingSocketsOnError(os, [&] { return ListWhileSocketsHeld(os, forms, cbo_IP); });
  SocketsCleanup(os, forms);
  return listed;
}

}  // namespace hw
