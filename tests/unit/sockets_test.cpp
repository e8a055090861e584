#include <gtest/gtest.h>

#include "interfaces/headless/headless_forms.h"
#include "resolve/sockets.h"
#include "support/fake_os.h"
#include "text/catalogue.h"

using namespace hw;

namespace {
// Every message box shown, in order, as "style:text;".
std::string Shown(const HeadlessForms& forms) {
  std::string all;
  for (const auto& m : forms.Messages()) all += std::to_string(m.style) + ":" + m.text + ";";
  return all;
}
}  // namespace

TEST(SocketsStartup, AcceptsOneOneAndAboveAndGivesARefusedStackBackQuietly) {
  auto old = [](const char* major, const char* minor) {
    return "48:" + Text(Msg::SocketsVersionRefused, {major, minor}) + ";";
  };
  struct Case { int startup; uint16_t version, sockets; int cleanup; std::string shown; };  // "": usable
  for (const Case& c : {Case{10091, 0x0101, 1, 0, "16:" + std::string(Text(Msg::SocketsNoAnswer)) + ";"},
                        Case{0, 0x0001, 1, 0, old("1", "0")},
                        Case{0, 0x0900, 1, 0, old("0", "9")},
                        Case{0, 0x0101, 0, 0, "48:" + Text(Msg::SocketsTooFew, {"1"}) + ";"},
                        Case{0, 0x0001, 0, 10093, old("1", "0")},  // one message only
                        Case{0, 0x0101, 1, 0, ""}, Case{0, 0x0201, 1, 0, ""}, Case{0, 0x0002, 1, 0, ""}}) {
    test::FakeOs os;
    HeadlessForms forms;
    os.wsaStartupResult = c.startup;
    os.wsaData = {c.version, c.sockets};
    os.wsaCleanupResult = c.cleanup;
    EXPECT_EQ(SocketsStartup(os, forms), c.shown.empty()) << c.version;
    EXPECT_EQ(Shown(forms), c.shown);
    EXPECT_EQ(os.winsock.acquired - os.winsock.released, c.shown.empty() ? 1 : 0) << c.version;
    EXPECT_FALSE(forms.Ended());
  }
}

TEST(SocketsCleanup, SilentOnSuccessEndsTheProgramOnRefusal) {
  test::FakeOs os;
  HeadlessForms forms;
  SocketsCleanup(os, forms);
  EXPECT_EQ(Shown(forms), "");
  os.wsaCleanupResult = 10093;
  EXPECT_THROW(SocketsCleanup(os, forms), EndProgram);
  EXPECT_EQ(Shown(forms), "16:" + std::string(Text(Msg::SocketsCleanupFailed)) + ";");
  EXPECT_TRUE(forms.Ended());
}
