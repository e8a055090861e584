#include "resolve/sockets.h"

#include <string>

#include "text/catalogue.h"
#include "text/text.h"

namespace hw {
namespace {

// Windows Sockets 1.1: major version in the low byte, minor in the high byte.
constexpr uint16_t kRequestedVersion = 0x0101;
constexpr int kRequiredMajor = 1;
constexpr int kRequiredMinor = 1;
constexpr int kMinimumSockets = 1;

bool VersionTooOld(int major, int minor) {
  return major < kRequiredMajor || (major == kRequiredMajor && minor < kRequiredMinor);
}

std::string VersionRefused(int major, int minor) {
  return Text(Msg::SocketsVersionRefused, {std::to_string(major), std::to_string(minor)});
}

std::string TooFewSockets() {
  return Text(Msg::SocketsTooFew, {std::to_string(kMinimumSockets)});
}

// WSAStartup succeeded but the stack was refused: give the start back so the
// system's start count stays balanced. The refusal has been shown already, so
// a failing clean-up here is not worth a second message, let alone ending the
// program; the caller simply learns that Windows Sockets is not available.
void ReleaseRefusedStack(Os& os) { os.WSACleanup(); }

}  // namespace

bool SocketsStartup(Os& os, Forms& forms) {
  WsaData data;
  if (os.WSAStartup(kRequestedVersion, data) != 0) {
    forms.MsgBox(std::string(Text(Msg::SocketsNoAnswer)), kMbIconHand);
    return false;
  }
  // The version is tested first: a stack that fails both shows only this.
  const int major = LoByte(data.wVersion);
  const int minor = HiByte(data.wVersion);
  if (VersionTooOld(major, minor)) {
    forms.MsgBox(VersionRefused(major, minor), kMbIconExclamation);
    ReleaseRefusedStack(os);
    return false;
  }
  if (data.iMaxSockets >= kMinimumSockets) return true;
  forms.MsgBox(TooFewSockets(), kMbIconExclamation);
  ReleaseRefusedStack(os);
  return false;
}

void SocketsCleanup(Os& os, Forms& forms) {
  if (os.WSACleanup() == 0) return;
  // Ends the program at once, from whatever operation called us.
  MsgBoxThenEnd(forms, std::string(Text(Msg::SocketsCleanupFailed)), kMbIconHand);
}

}  // namespace hw
