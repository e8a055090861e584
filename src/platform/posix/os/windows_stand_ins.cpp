// Windows functions that have nothing to do on Linux. The core calls them
// as it calls Windows's, so each answers as Windows would when all is well:
// sockets need no start, a process has one token, and there is no browser
// library whose version could be asked.
#include "platform/posix/os/posix_os.h"

namespace hw::posix {
namespace {

constexpr int kWsaVerNotSupported = 10092;
constexpr int kWsaNotInitialised = 10093;

}  // namespace

int PosixOs::WSAStartup(uint16_t versionRequested, WsaData& data) {
  if ((versionRequested & 0xFF) == 0) return kWsaVerNotSupported;
  data.wVersion = 0x0101;
  data.iMaxSockets = 32767;
  ++socketsStarted_;
  return 0;
}

int PosixOs::WSACleanup() {
  if (socketsStarted_ == 0) {
    lastError_ = kWsaNotInitialised;
    return kSocketError;
  }
  --socketsStarted_;
  return 0;
}

Handle PosixOs::GetCurrentProcess() { return kCurrentProcess; }

int PosixOs::OpenProcessToken(Handle process, uint32_t /*desiredAccess*/, TokenHandle& token) {
  if (process != kCurrentProcess) return 0;
  ++tokensOpen_;
  token.value = 0x70;
  token.owner = Released([this] { --tokensOpen_; });
  return 1;
}

int32_t PosixOs::DllGetVersion(DllVersionInfo& /*info*/) {
  throw MissingFunction("Shlwapi.dll", "DllGetVersion");
}

// No browser decides whether the PC is online: the connection test reads
// the interfaces themselves.
bool PosixOs::ConnectionStateWithoutBrowser() { return true; }

}  // namespace hw::posix
