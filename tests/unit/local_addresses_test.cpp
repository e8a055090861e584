#include <gtest/gtest.h>

#include <functional>

#include "interfaces/headless/headless_forms.h"
#include "resolve/local_addresses.h"
#include "support/fake_os.h"
#include "text/catalogue.h"

using namespace hw;
using namespace std::string_literals;
using Strings = std::vector<std::string>;

namespace {
struct AddressBox : HeadlessControl {
  AddressBox() : HeadlessControl(ControlData{.name = "cbo_IP", .kind = ControlKind::ComboBox}) {}
};
}  // namespace

TEST(ListLocalAddresses, ListsAddressesInDeliveredOrderSelectsTheFirstAndResolvesTheTrimmedName) {
  test::FakeOs os;
  HeadlessForms forms;
  AddressBox box;
  os.localHostName = "  ws-17  \0junk"s;
  os.hostByName = HostEnt{"ws-17", 4, {{192, 168, 10, 7}, {10, 0, 0, 5}, {255, 0, 0, 1}}};
  ASSERT_TRUE(ListLocalAddresses(os, forms, box));
  EXPECT_EQ(box.Items(), (Strings{"192.168.10.7", "10.0.0.5", "255.0.0.1"}));
  EXPECT_EQ(box.Text(), "192.168.10.7");
  EXPECT_EQ(os.gethostbynameArgs, Strings{"ws-17"});
  EXPECT_EQ(os.calls, (Strings{"WSAStartup", "gethostname", "gethostbyname", "WSACleanup"}));
  EXPECT_TRUE(forms.Messages().empty());
}

TEST(ListLocalAddresses, EachFailureIsShownReleasesWinsockAndLeavesTheBoxAlone) {
  struct Case { std::function<void(test::FakeOs&)> script; std::string text; };
  const std::string byName(Text(Msg::GetHostByNameFailed));
  for (const Case& c : {Case{[](auto& os) { os.localHostName.reset(); }, Text(Msg::GetHostnameFailed, {"10093"})},
                        Case{[](auto& os) { os.hostByName.reset(); }, byName},
                        Case{[](auto& os) { os.hostByName->h_addr_list.clear(); }, byName},
                        Case{[](auto& os) { os.wsaStartupResult = 1; }, std::string(Text(Msg::SocketsNoAnswer))}}) {
    test::FakeOs os;
    HeadlessForms forms;
    AddressBox box;
    c.script(os);
    EXPECT_FALSE(ListLocalAddresses(os, forms, box));
    ASSERT_EQ(forms.Messages().size(), 1u);
    EXPECT_EQ(forms.Messages()[0].text, c.text);
    EXPECT_EQ(forms.Messages()[0].style, kMbIconHand);
    EXPECT_TRUE(box.Items().empty() && os.winsock.Balanced()) << c.text;
  }
}

TEST(ListLocalAddresses, FailingCleanupEndsTheProgramAndAnErrorStillReleasesWinsock) {
  test::FakeOs os, broken;
  HeadlessForms forms;
  AddressBox box;
  os.wsaCleanupResult = 10093;
  EXPECT_THROW(ListLocalAddresses(os, forms, box), EndProgram);
  EXPECT_TRUE(forms.Ended());
  EXPECT_EQ(box.Text(), "192.0.2.7");
  broken.missing = {"gethostbyname"};
  EXPECT_THROW(ListLocalAddresses(broken, forms, box), MissingFunction);
  EXPECT_TRUE(broken.winsock.Balanced());
}
