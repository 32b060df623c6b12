// Login accounts against a stand-in of the account service, built from dbusmock's generic object.
#include "os_actions/users.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "orvo_dbus/connection.h"
#include "orvo_dbus_testing/stand_in_bus.h"

namespace {

using namespace std::chrono_literals;
using orvo_secret::SecretString;
namespace users = os_actions::users;

constexpr const char* kService = "org.freedesktop.Accounts";
constexpr const char* kRoot = "/org/freedesktop/Accounts";
constexpr const char* kUserInterface = "org.freedesktop.Accounts.User";
constexpr const char* kMock = "org.freedesktop.DBus.Mock";
constexpr const char* kAlice = "/org/freedesktop/Accounts/User1001";

using Methods = std::vector<sdbus::Struct<std::string, std::string, std::string, std::string>>;
using Call = sdbus::Struct<std::uint64_t, std::vector<sdbus::Variant>>;

// The account service with one account, "alice" (automatic login on), and the calls it saw.
class AccountService {
 public:
  explicit AccountService(orvo_dbus::Connection client) : client_(std::move(client)) {}

  void set_up() {
    add_method(kRoot, kService, "FindUserByName", "s", "o",
               "if args[0] != 'alice': raise dbus.exceptions.DBusException('no such user', "
               "name='org.freedesktop.Accounts.Error.Failed')\n"
               "ret = dbus.ObjectPath('" + std::string(kAlice) + "')");
    add_method(kRoot, kService, "CreateUser", "ssi", "o", "ret = dbus.ObjectPath('/org/freedesktop/Accounts/User1002')");
    add_method(kRoot, kService, "DeleteUser", "xb", "", "");
    const Methods methods{{"SetPassword", "ss", "", ""},
                          {"SetAccountType", "i", "", ""},
                          {"SetAutomaticLogin", "b", "",
                           "self.Set('org.freedesktop.Accounts.User', 'AutomaticLogin', args[0])"}};
    auto added = client_.call<>({kService, kRoot}, kMock, "AddObject", 2s, std::string(kAlice),
                                std::string(kUserInterface),
                                orvo_dbus::Properties{{"AutomaticLogin", sdbus::Variant(true)},
                                                      {"UserName", sdbus::Variant(std::string("alice"))}},
                                methods);
    ASSERT_TRUE(added.has_value()) << added.error().text();
  }

  // The arguments of every call of `method` on `path`.
  std::vector<std::vector<sdbus::Variant>> calls(const char* path, const char* method) {
    auto reply = client_.call<std::vector<Call>>({kService, path}, kMock, "GetMethodCalls", 2s, std::string(method));
    EXPECT_TRUE(reply.has_value()) << reply.error().text();
    std::vector<std::vector<sdbus::Variant>> seen;
    if (reply) {
      for (const auto& call : std::get<0>(*reply)) seen.push_back(std::get<1>(call));
    }
    return seen;
  }
  std::size_t all_calls() {
    std::size_t count = 0;
    for (const char* method : {"CreateUser", "DeleteUser", "FindUserByName"}) count += calls(kRoot, method).size();
    for (const char* method : {"SetPassword", "SetAccountType", "SetAutomaticLogin"}) count += calls(kAlice, method).size();
    return count;
  }

 private:
  void add_method(const char* path, const char* interface, const char* name, const char* in, const char* out,
                  const std::string& code) {
    auto added = client_.call<>({kService, path}, kMock, "AddMethod", 2s, std::string(interface), std::string(name),
                                std::string(in), std::string(out), code);
    ASSERT_TRUE(added.has_value()) << added.error().text();
  }
  orvo_dbus::Connection client_;
};

#define ORVO_ACCOUNT_SERVICE(var)                                            \
  ORVO_STAND_IN_BUS(var##_bus);                                              \
  ORVO_STAND_IN_MOCK(var##_bus, kService, "-s", kService, kRoot, kService); \
  auto var##_client = orvo_dbus::Connection::open(orvo_dbus::Bus::System);   \
  ASSERT_TRUE(var##_client.has_value());                                     \
  AccountService var(std::move(*var##_client));                              \
  var.set_up()

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
