#include <gtest/gtest.h>

#include <functional>

#include "interfaces/headless/headless_forms.h"
#include "resolve/host_by_address.h"
#include "support/fake_os.h"
#include "text/catalogue.h"

using namespace hw;
using namespace std::string_literals;

TEST(HostNameByAddress, ReturnsTheNameForTheAddressBytesInNetworkOrder) {
  test::FakeOs os;
  HeadlessForms forms;
  os.hostByAddr->h_name = "WS-17.Uni-Falkenau.DE\0rest"s;
  EXPECT_EQ(HostNameByAddress(os, forms, "198.51.100.7"), "WS-17.Uni-Falkenau.DE");
  EXPECT_EQ(os.addressesLookedUp, (std::vector<std::array<uint8_t, 4>>{{198, 51, 100, 7}}));
  EXPECT_TRUE(forms.Messages().empty() && os.winsock.Balanced());
  os.wsaCleanupResult = 10093;
  EXPECT_THROW(HostNameByAddress(os, forms, "192.0.2.7"), EndProgram);
  EXPECT_TRUE(forms.Ended());
}

TEST(HostNameByAddress, EveryFailureGivesEmptyAfterReleasingWinsock) {
  const std::string invalid(Text(Msg::InvalidAddress));
  struct Case { std::string address; std::function<void(test::FakeOs&)> script; std::string text; };
  for (const Case& c : {Case{"255.255.255.255", [](auto&) {}, invalid}, Case{"", [](auto&) {}, invalid},
                        Case{"ws-17", [](auto&) {}, invalid},
                        Case{"192.0.2.7", [](auto& os) { os.hostByAddr.reset(); }, std::string(Text(Msg::GetHostByAddrFailed))},
                        Case{"192.0.2.7", [](auto& os) { os.hostByAddr->h_name = ""; }, ""}}) {
    test::FakeOs os;
    HeadlessForms forms;
    c.script(os);
    EXPECT_EQ(HostNameByAddress(os, forms, c.address), "");
    ASSERT_EQ(forms.Messages().size(), c.text.empty() ? 0u : 1u) << c.text;
    for (const auto& shown : forms.Messages()) EXPECT_EQ(shown.text + "/" + std::to_string(shown.style), c.text + "/16");
    EXPECT_EQ(os.CallCount("gethostbyaddr"), c.text == invalid ? 0 : 1);
    EXPECT_TRUE(os.winsock.Balanced());
  }
}
