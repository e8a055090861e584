// ChkVer: which Windows the program runs on, the browser version, and the two
// platform tests on which the rest of the program branches.
#pragma once

#include <cstdint>
#include <string>

#include "platform/os.h"

namespace hw {

// The pieces of the Windows version line.
struct OsVersionDetails {
  int32_t PlatformId = 0;
  std::string Name;
  std::string Version;
  std::string ServicePack;
  std::string Build;
};

class ChkVer {
 public:
  explicit ChkVer(Os& os) : os_(os) {}

  // Reads the version once (GetVersionExA) and describes it in one line;
  // "" when it cannot be read. Fills `details` on success.
  std::string OsVersionText(OsVersionDetails& details);
  // The NT platform (and Linux, which has the same concepts).
  bool IsWinNT() const;
  // The NT platform from version 5 on (and Linux).
  bool IsWin2000OrLater() const;
  // The NT platform from version 6 on, where UAC may give an administrator
  // limited rights. Not Linux, whose rights are never split that way.
  bool IsWinVistaOrLater() const;
  // A system whose user may be asked for an administrator's rights to start
  // an elevated copy: UAC from Vista on, pkexec on Linux.
  bool CanStartElevatedCopy() const;
  // The browser version that Shlwapi.dll reports, "major.minor.build".
  // MissingFunction when the library or its export is missing.
  std::string IeVersionText();

  const OsVersionInfo& Info() const { return OsVersionInfo_; }
  // Takes the record that another run of the program read, so the two
  // platform tests answer as they did there.
  void Adopt(const OsVersionInfo& info) { OsVersionInfo_ = info; }

 private:
  Os& os_;
  OsVersionInfo OsVersionInfo_;  // zero-filled until OsVersionText has read it
};

}  // namespace hw
