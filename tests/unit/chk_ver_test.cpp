#include <gtest/gtest.h>

#include "probes/chk_ver.h"
#include "support/fake_os.h"

using namespace std::string_literals;

namespace hw {
namespace {

using test::FakeOs;
using test::Version;

TEST(OsVersionText, NamesEveryWindows) {
  struct Case { uint32_t platform, major, minor, build; std::string line; };
  const std::vector<Case> cases = {
      {0, 3, 11, 0, "Win32s 3.11 build 0 (SP)"},
      {1, 4, 0, 950, "Windows 95 4.0 build 950 (SP)"},
      {1, 4, 10, 2222, "Windows 98 4.10 build 2222 (SP)"},
      {1, 4, 3, 1, "Windows 98 4.3 build 1 (SP)"},
      {1, 4, 90, 3000, "Windows ME 4.90 build 3000 (SP)"},
      {2, 4, 0, 1381, "Windows NT 4.0 build 1381 (SP)"},
      {2, 5, 0, 2195, "Windows 2000 5.0 build 2195 (SP)"},
      {2, 5, 1, 2600, "Windows XP 5.1 build 2600 (SP)"},
      {2, 5, 2, 3790, "Windows NT 5.2 build 3790 (SP)"},
      {2, 6, 0, 6002, "Windows NT 6.0 build 6002 (SP)"},
      {2, 6, 1, 7601, "Windows NT 6.1 build 7601 (SP)"},
      {7, 1, 0, 5, " 1.0 build 5 (SP)"},  // an unknown platform leaves the name empty
      {kPlatformLinux, 6, 1, 0, "Linux 6.1 build 0 (SP)"},
  };
  for (const auto& c : cases) {
    FakeOs os;
    os.version = Version(c.platform, c.major, c.minor, c.build, "SP");
    ChkVer chkVer(os);
    EXPECT_EQ(chkVer.OsVersionText(), c.line);
    EXPECT_EQ(chkVer.Info().dwPlatformId, c.platform);
  }
}

TEST(OsVersionText, KeepsOnlyTheLow16BitsOfTheBuild) {
  FakeOs os;
  os.version = Version(kPlatformWin32Windows, 4, 10, (4u << 24) | (10u << 16) | 2222u, " A ");
  ChkVer chkVer(os);
  EXPECT_EQ(chkVer.OsVersionText(), "Windows 98 4.10 build 2222 ( A )");
}

TEST(OsVersionText, ServicePackParenthesesDependOnANul) {
  FakeOs os;
  os.version = Version(kPlatformWin32NT, 5, 0, 2195, "");
  EXPECT_EQ(ChkVer(os).OsVersionText(), "Windows 2000 5.0 build 2195 ()");

  // A field of 128 characters without a NUL: no parentheses.
  os.version->szCSDVersion = std::string(128, 'x');
  EXPECT_EQ(ChkVer(os).OsVersionText(), "Windows 2000 5.0 build 2195");
}

TEST(OsVersionText, AFailedReadGivesNothingAndBothTestsAnswerFalse) {
  for (int failure : {0, 2}) {  // success is exactly 1
    FakeOs os;
    if (failure == 0) os.version.reset();
    else os.getVersionExSuccess = failure;
    ChkVer chkVer(os);
    EXPECT_EQ(chkVer.OsVersionText(), "");
    EXPECT_FALSE(chkVer.HasAdministrators());
    EXPECT_FALSE(chkVer.HasDnsClient());
  }
}

TEST(PlatformTests, AnswerFromTheVersionRead) {
  struct Case { uint32_t platform, major; bool administrators, dnsClient; };
  for (const auto& c : {Case{0, 3, false, false}, Case{1, 4, false, false}, Case{2, 4, true, false},
                        Case{2, 5, true, true}, Case{2, 6, true, true}, Case{kPlatformLinux, 6, true, true}}) {
    FakeOs os;
    os.version = Version(c.platform, c.major, 0, 1, "");
    ChkVer chkVer(os);
    EXPECT_FALSE(chkVer.HasAdministrators()) << "before the version is read";
    chkVer.OsVersionText();
    EXPECT_EQ(chkVer.HasAdministrators(), c.administrators) << c.platform << "/" << c.major;
    EXPECT_EQ(chkVer.HasDnsClient(), c.dnsClient) << c.platform << "/" << c.major;
    EXPECT_EQ(chkVer.HasSetComputerNameEx(), c.dnsClient) << c.platform << "/" << c.major;  // both came with 2000
  }
}

// Linux starts its elevated copy through pkexec, whatever the kernel's version.
TEST(PlatformTests, UacComesWithVistaAndNeverToLinuxWhichHasPkexec) {
  struct Case { uint32_t platform, major; bool uac, copy; };
  for (const auto& c : {Case{1, 6, false, false}, Case{2, 5, false, false}, Case{2, 6, true, true},
                        Case{2, 10, true, true}, Case{kPlatformLinux, 5, false, true}, Case{kPlatformLinux, 6, false, true}}) {
    FakeOs os;
    os.version = Version(c.platform, c.major, 0, 1, "");
    ChkVer chkVer(os);
    chkVer.OsVersionText();
    EXPECT_EQ(chkVer.HasUac(), c.uac) << c.platform << "/" << c.major;
    EXPECT_EQ(chkVer.CanStartElevatedCopy(), c.copy) << c.platform << "/" << c.major;
  }
}

TEST(IeVersionText, DottedVersionOrZerosOrAnError) {
  FakeOs os;
  os.browser = DllVersionInfo{20, 6, 0, 2900, 1};
  EXPECT_EQ(ChkVer(os).IeVersionText(), "6.0.2900");

  os.browser.reset();  // the call fails without touching the record
  os.dllGetVersionResult = static_cast<int32_t>(0x80004005);
  EXPECT_EQ(ChkVer(os).IeVersionText(), "0.0.0");

  os.missing.insert("DllGetVersion");
  EXPECT_THROW(ChkVer(os).IeVersionText(), MissingFunction);
}

}  // namespace
}  // namespace hw
