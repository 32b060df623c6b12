// A join ends once the network service reports the connection up, or down with its reason, and
// no later than its time limit, against the network service's stand-in.
#include <gtest/gtest.h>

#include "network_stand_in.h"
#include "os_actions/network.h"

namespace {

using namespace os_actions::network;
using namespace os_actions_testing;
using orvo_secret::SecretString;

constexpr const char* kManagerInterface = "org.freedesktop.NetworkManager";
constexpr const char* kSlowActive = "/org/freedesktop/NetworkManager/ActiveConnection/slow";

// The stand-in's joins bring up an active connection in `state` (1 activating, 2 activated,
// 4 deactivated) instead of one that is up at once.
void activations_end_in(NmStandIn& nm, std::uint32_t state) {
  const std::string make = "self.AddObject('" + std::string(kSlowActive) +
                           "', 'org.freedesktop.NetworkManager.Connection.Active', "
                           "{'State': dbus.UInt32(" + std::to_string(state) + "), 'Devices': dbus.Array([args[1]], signature='o')}, [])\n";
  nm.add_method(kNmManager, kManagerInterface, "AddAndActivateConnection", "a{sa{sv}}oo", "oo",
                make + "ret = (dbus.ObjectPath('/'), dbus.ObjectPath('" + kSlowActive + "'))");
}

TEST(NetworkActivation, AJoinEndsWithWhatTheServiceReports) {
  struct Case {
    const char* name;
    std::optional<std::uint32_t> state;  // none: the stand-in's own join, up at once
    std::uint32_t reason = 0;
    std::string error;  // empty: connected
  };
  const Case cases[] = {
      {"up at once", std::nullopt, 0, ""},
      {"never comes up", 1, 0, "the connection did not come up in time"},
      {"wrong password", 4, 7, "the password was not accepted"},
      {"refused for another reason", 4, 8, "the network refused the connection; check the password"},
      {"already activated", 2, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ORVO_NM_STAND_IN(nm);
    const std::string wlan = nm.add_wifi_device();
    nm.add_access_point(wlan, "ap_home", "HomeNet", 70, 0x100);
    if (c.state) activations_end_in(nm, *c.state);
    nm.set(wlan, kDevice, "StateReason",
           sdbus::Variant(sdbus::Struct<std::uint32_t, std::uint32_t>(std::uint32_t{120}, c.reason)));
    const auto started = std::chrono::steady_clock::now();
    const Result joined = connect_wifi("HomeNet", SecretString("passphrase"), std::chrono::milliseconds(600));
    if (c.error.empty()) {
      EXPECT_TRUE(joined.has_value()) << joined.error();
    } else {
      ASSERT_FALSE(joined.has_value());
      EXPECT_EQ(joined.error(), c.error);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5)) << "bounded";
  }
}

}  // namespace
