#include <gtest/gtest.h>

#include "probes/names.h"
#include "support/fake_os.h"

namespace hw {
namespace {

using test::FakeOs;

// The buffers hold 255 characters of a user name, 15 of a NetBIOS name and
// 256 of a DNS host name, each with its NUL; one more character fails.
TEST(NameProbes, BufferSizesDecideWhatFits) {
  struct Case { const char* probe; std::size_t fits; };
  for (const auto& c : {Case{"user", 255}, Case{"computer", 15}, Case{"dns", 256}}) {
    for (std::size_t length : {c.fits, c.fits + 1}) {
      FakeOs os;
      std::string name(length, 'n');
      std::string got;
      if (std::string(c.probe) == "user") {
        os.userName = name;
        got = QueryUserName(os);
      } else if (std::string(c.probe) == "computer") {
        os.computerName = name;
        got = QueryComputerName(os);
      } else {
        os.dnsHostName = name;
        got = QueryDnsHostName(os);
      }
      EXPECT_EQ(got, length == c.fits ? name : "") << c.probe << " name of " << length << " characters";
    }
  }
}

TEST(NameProbes, ReturnTheNameWithoutTheBlanksBehindIt) {
  FakeOs os;
  os.userName = "Anna Müller";
  os.computerName = "WS-17";
  os.dnsHostName = "ws-17";
  EXPECT_EQ(QueryUserName(os), "Anna Müller");
  EXPECT_EQ(QueryComputerName(os), "WS-17");
  EXPECT_EQ(QueryDnsHostName(os), "ws-17");
}

TEST(NameProbes, AFailedCallGivesNothing) {
  FakeOs os;
  os.userName.reset();
  os.computerName.reset();
  os.dnsHostName.reset();
  EXPECT_EQ(QueryUserName(os), "");
  EXPECT_EQ(QueryComputerName(os), "");
  EXPECT_EQ(QueryDnsHostName(os), "");
}

TEST(NameProbes, AMissingFunctionIsLeftToTheCaller) {
  FakeOs os;
  os.missing.insert("GetComputerNameExA");
  EXPECT_THROW(QueryDnsHostName(os), MissingFunction);
}

}  // namespace
}  // namespace hw
