#include "resolve/host_by_address.h"

#include <array>
#include <cstring>

#include "resolve/sockets.h"
#include "resolve/sockets_held.h"
#include "text/catalogue.h"
#include "text/text.h"

namespace hw {
namespace {

// Everything between the start and the clean-up of Windows Sockets. The name
// is copied out of the host entry here, before Windows Sockets is ended.
std::string LookUpWhileSocketsHeld(Os& os, Forms& forms, const std::string& address, LookupFailure& failure) {
  const uint32_t value = os.inet_addr(address);
  if (value == kInaddrNone) {
    forms.MsgBox(std::string(Text(Msg::InvalidAddress)), kMbIconHand);
    return "";
  }
  std::array<uint8_t, 4> bytes;  // inet_addr's value is in network order in memory
  std::memcpy(bytes.data(), &value, bytes.size());

  const auto answer = os.gethostbyaddr(bytes, static_cast<int>(bytes.size()), kAfInet);
  if (!answer) {
    failure = LookupFailureOfWinsockError(os.WSAGetLastError());  // read before anything else can change it
    forms.MsgBox(std::string(Text(Msg::GetHostByAddrFailed)), kMbIconHand);
    return "";
  }
  // The name ends at its NUL; an empty one is no answer, but no error either.
  return TrimAtNul(answer->h_name);
}

}  // namespace

std::string HostNameByAddress(Os& os, Forms& forms, const std::string& address, LookupFailure* failure) {
  LookupFailure ignored;
  LookupFailure& why = failure ? *failure : ignored;
  why = LookupFailure::None;
  if (!SocketsStartup(os, forms)) return "";
  std::string name = ReleasingSocketsOnError(os, [&] { return LookUpWhileSocketsHeld(os, forms, address, why); });
  SocketsCleanup(os, forms);
  return name;
}

}  // namespace hw
