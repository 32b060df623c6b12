#include "catalogues/queries/local_users.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

namespace settings::panes::users {
namespace {

constexpr const char* kPasswd =
    "root:x:0:0:root:/root:/bin/bash\n"
    "ada:x:1000:1000:Ada Lovelace,Room 1,,:/home/ada:/bin/bash\n"
    "svc:x:1001:1001::/var/svc:/usr/sbin/nologin\n"
    "off:x:1002:1002::/home/off:/bin/false\r\n"
    "me:x:1003:1003: , :/home/me:/bin/zsh\r\n"
    "short:x:1004:1004\n"
    "neg:x:-1005:1005::/home/neg:/bin/sh\n"
    "plus:x:+1006:1006::/home/plus:/bin/sh\n"
    "junk:x:10x7:1007::/home/junk:/bin/sh\n"
    "huge:x:99999999999999999999999:1:::/bin/sh\n"
    ":x:1008:1008:No name:/home/x:/bin/sh\n"
    "nobody:x:65534:65534:nobody:/nonexistent:/bin/sh\n"
    "last:x:59999:59999:Last One:/home/last:/bin/sh:extra\n"
    "\n";

TEST(LocalUsers, KeepsRegularLoginAccountsInFileOrder) {
  const std::string group =
      "wheel:x:10:root,ada\n"
      "sudo:x:27: last , \n"
      "ada:x:1000:\n"
      "admins:x:11:me\n"
      "sudo:x\n";
  const auto users = parse_local_users(kPasswd, group, std::string("me"));
  ASSERT_EQ(users.size(), 3u);
  EXPECT_EQ(users[0], (LocalUser{"ada", "Ada Lovelace", 1000, true, false, false}));
  EXPECT_EQ(users[1], (LocalUser{"me", "me", 1003, false, true, false}));
  EXPECT_EQ(users[2], (LocalUser{"last", "Last One", 59999, true, false, false}));
}

TEST(LocalUsers, UnreadableGroupsMakeNobodyAnAdministrator) {
  const auto users = parse_local_users(kPasswd, std::nullopt, std::nullopt);
  ASSERT_EQ(users.size(), 3u);
  for (const auto& user : users) {
    EXPECT_FALSE(user.administrator) << user.username;
    EXPECT_FALSE(user.signed_in) << user.username;
  }
}

TEST(LocalUsers, ReadsTheAccountFilesOfAnEtcDirectory) {
  char pattern[] = "/tmp/orvo-etc-XXXXXX";
  const std::filesystem::path etc = ::mkdtemp(pattern);
  EXPECT_TRUE(read_local_users(etc, std::nullopt).empty());  // no passwd: no accounts
  std::ofstream(etc / "passwd") << kPasswd;
  std::ofstream(etc / "group") << "sudo:x:27:ada\n";
  const auto users = read_local_users(etc, std::string("ada"));
  ASSERT_EQ(users.size(), 3u);
  EXPECT_TRUE(users[0].administrator);
  EXPECT_TRUE(users[0].signed_in);
  std::filesystem::remove_all(etc);
}

}  // namespace
}  // namespace settings::panes::users
