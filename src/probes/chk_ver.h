// ChkVer: which Windows the program runs on, the browser version, and what
// the system offers, on which the rest of the program chooses its path.
#pragma once

#include <cstdint>
#include <string>

#include "interfaces/os.h"

namespace hw {

class ChkVer {
 public:
  explicit ChkVer(Os& os) : os_(os) {}

  // Reads the version once (GetVersionExA) and describes it in one line;
  // "" when it cannot be read.
  std::string OsVersionText();
  // Accounts with and without administrator's rights: the NT platform and
  // Linux. On Windows 9x everyone may do everything.
  bool HasAdministrators() const;
  // The DNS client: the PC's DNS host name and a query sent to one DNS
  // server (DnsQuery_A), from Windows 2000 on, and Linux. Without it only the
  // resolver can be asked, which may answer from the PC's own tables.
  bool HasDnsClient() const;
  // SetComputerNameExA, which sets the DNS host name and the NetBIOS name
  // together: from Windows 2000 on, and Linux.
  bool HasSetComputerNameEx() const;
  // User Account Control, which may give an administrator limited rights
  // beside an elevated twin: the NT platform from version 6 on. Not Linux,
  // whose rights are never split that way.
  bool HasUac() const;
  // A system whose user may be asked for an administrator's rights to start
  // an elevated copy: UAC from Vista on, pkexec on Linux.
  bool CanStartElevatedCopy() const;
  // The browser version that Shlwapi.dll reports, "major.minor.build".
  // MissingFunction when the library or its export is missing.
  std::string IeVersionText();

  const OsVersionInfo& Info() const { return OsVersionInfo_; }
  // Takes the record that another run of the program read, so the tests of
  // what the system offers answer as they did there.
  void Adopt(const OsVersionInfo& info) { OsVersionInfo_ = info; }

 private:
  // The NT platform from `major` on, or Linux.
  bool IsNtFromVersionOrLinux(uint32_t major) const;

  Os& os_;
  OsVersionInfo OsVersionInfo_;  // zero-filled until OsVersionText has read it
};

}  // namespace hw
