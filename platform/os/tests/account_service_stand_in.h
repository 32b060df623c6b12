#pragma once
// A stand-in of the system's account service for tests, built from dbusmock's generic object: one
// account, "alice" (uid 1001, automatic login on), and the calls the service saw.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "orvo_dbus/connection.h"
#include "orvo_dbus_testing/stand_in_bus.h"

namespace os_actions_testing {

using namespace std::chrono_literals;

inline constexpr const char* kService = "org.freedesktop.Accounts";
inline constexpr const char* kRoot = "/org/freedesktop/Accounts";
inline constexpr const char* kUserInterface = "org.freedesktop.Accounts.User";
inline constexpr const char* kMock = "org.freedesktop.DBus.Mock";
inline constexpr const char* kAlice = "/org/freedesktop/Accounts/User1001";

using AccountMethods = std::vector<sdbus::Struct<std::string, std::string, std::string, std::string>>;
using AccountCall = sdbus::Struct<std::uint64_t, std::vector<sdbus::Variant>>;

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
    const AccountMethods methods{{"SetPassword", "ss", "", ""},
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

  // From now on every password is refused with `reason`.
  void refuse_passwords(const std::string& reason) {
    add_method(kAlice, kUserInterface, "SetPassword", "ss", "",
               "raise dbus.exceptions.DBusException('" + reason + "', name='org.freedesktop.Accounts.Error.Failed')");
  }

  // The arguments of every call of `method` on `path`.
  std::vector<std::vector<sdbus::Variant>> calls(const char* path, const char* method) {
    auto reply = client_.call<std::vector<AccountCall>>({kService, path}, kMock, "GetMethodCalls", 2s, std::string(method));
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

}  // namespace os_actions_testing

// Starts the stand-in on a private bus into `var`, or skips the test.
#define ORVO_ACCOUNT_SERVICE(var)                                                                  \
  ORVO_STAND_IN_BUS(var##_bus);                                                                    \
  ORVO_STAND_IN_MOCK(var##_bus, ::os_actions_testing::kService, "-s", ::os_actions_testing::kService, \
                     ::os_actions_testing::kRoot, ::os_actions_testing::kService);                 \
  auto var##_client = orvo_dbus::Connection::open(orvo_dbus::Bus::System);                         \
  ASSERT_TRUE(var##_client.has_value());                                                           \
  ::os_actions_testing::AccountService var(std::move(*var##_client));                              \
  var.set_up()
