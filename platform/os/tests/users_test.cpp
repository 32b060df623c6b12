// Login accounts against a stand-in of the account service, built from dbusmock's generic object.
#include "os_actions/users.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "account_service_stand_in.h"

namespace {

using namespace std::chrono_literals;
using orvo_secret::SecretString;
using os_actions_testing::kAlice;
using os_actions_testing::kRoot;
namespace users = os_actions::users;

TEST(Users, EachChangeReachesTheServiceWithItsArguments) {
  ORVO_ACCOUNT_SERVICE(service);

  ASSERT_TRUE(users::create_user("bob", "Bob Builder", false).has_value());
  const auto created = service.calls(kRoot, "CreateUser");
  ASSERT_EQ(created.size(), 1u);
  EXPECT_EQ(created[0][0].get<std::string>(), "bob");
  EXPECT_EQ(created[0][1].get<std::string>(), "Bob Builder");
  EXPECT_EQ(created[0][2].get<std::int32_t>(), 0);

  ASSERT_TRUE(users::delete_user("alice", 1001, true).has_value());
  ASSERT_TRUE(users::delete_user("alice", 1001, false).has_value());
  const auto deleted = service.calls(kRoot, "DeleteUser");
  ASSERT_EQ(deleted.size(), 2u);
  EXPECT_EQ(deleted[0][0].get<std::int64_t>(), 1001);
  EXPECT_TRUE(deleted[0][1].get<bool>());
  EXPECT_FALSE(deleted[1][1].get<bool>());

  ASSERT_TRUE(users::set_role("alice", true).has_value());
  ASSERT_TRUE(users::set_role("alice", false).has_value());
  const auto roles = service.calls(kAlice, "SetAccountType");
  ASSERT_EQ(roles.size(), 2u);
  EXPECT_EQ(roles[0][0].get<std::int32_t>(), 1);
  EXPECT_EQ(roles[1][0].get<std::int32_t>(), 0);

  EXPECT_EQ(users::automatic_login("alice"), true);
  ASSERT_TRUE(users::set_automatic_login("alice", false).has_value());
  EXPECT_EQ(users::automatic_login("alice"), false);
  EXPECT_FALSE(users::automatic_login("carol").has_value());
}

TEST(Users, OnlyTheHashOfThePasswordCrossesTheBus) {
  ORVO_ACCOUNT_SERVICE(service);
  const SecretString password("correct horse battery");
  ASSERT_TRUE(users::set_password("alice", password).has_value());
  const auto calls = service.calls(kAlice, "SetPassword");
  ASSERT_EQ(calls.size(), 1u);
  const auto hash = calls[0][0].get<std::string>();
  EXPECT_TRUE(hash.starts_with("$y$")) << hash;
  EXPECT_EQ(hash.find("correct horse battery"), std::string::npos);
  EXPECT_EQ(calls[0][1].get<std::string>(), "");
  // A fresh salt each time.
  EXPECT_NE(users::hash_password(password).value(), users::hash_password(password).value());
}

TEST(Users, UnsafeInputIsRefusedBeforeAnyCall) {
  ORVO_ACCOUNT_SERVICE(service);
  EXPECT_EQ(users::create_user("-rf", "Robert", false).error(), "invalid user name");
  EXPECT_EQ(users::create_user("bad:name", "Bad", false).error(), "invalid user name");
  EXPECT_EQ(users::create_user("bob", "Bob\nroot::0:0::/root:/bin/sh", false).error(), "invalid full name");
  EXPECT_EQ(users::create_user("bob", "Bob, Room 4", false).error(), "invalid full name");
  EXPECT_EQ(users::create_user("bob", std::string(256, 'b'), false).error(), "invalid full name");
  EXPECT_EQ(users::set_password("alice", SecretString()).error(), "password must not be empty");
  EXPECT_EQ(users::set_role("Alice", true).error(), "invalid user name");
  EXPECT_EQ(users::delete_user("../alice", 1001, true).error(), "invalid user name");
  EXPECT_EQ(service.all_calls(), 0u);

  // The edges of what is accepted.
  EXPECT_TRUE(users::check_user_name("_a-1").has_value());
  EXPECT_TRUE(users::check_user_name(std::string(32, 'a')).has_value());
  EXPECT_FALSE(users::check_user_name(std::string(33, 'a')).has_value());
  EXPECT_FALSE(users::check_user_name("").has_value());
  EXPECT_TRUE(users::check_full_name("").has_value());
  EXPECT_TRUE(users::check_full_name(std::string(255, 'b')).has_value());
  EXPECT_TRUE(users::check_full_name("Zoë Ärger").has_value());
}

TEST(Users, NoServiceFailsAtOnceWithItsReason) {
  ORVO_STAND_IN_BUS(bus);
  const auto started = std::chrono::steady_clock::now();
  EXPECT_TRUE(users::set_automatic_login("alice", true).error().starts_with("Could not reach the account service: "));
  EXPECT_TRUE(users::create_user("bob", "Bob", false).error().starts_with("Could not reach the account service: "));
  EXPECT_TRUE(users::automatic_login("alice").error().starts_with("Could not reach the account service: "));
  EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
}

}  // namespace
