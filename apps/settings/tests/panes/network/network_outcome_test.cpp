// Network outcomes that say what the service did: a refresh asks for a scan, a Wi-Fi state that
// could not be read is not taken as the one asked for, and a saved profile that appears after the
// first reading gets its editor state.
#include <gtest/gtest.h>

#include "fake_network.h"
#include "mounted_pane.h"
#include "panes/network/network_keys.h"

namespace settings::panes::network::testing {
namespace {

using actions::NetworkOperation;
using settings_app::OperationStatus;
using settings_app::PaneOperation;

TEST(NetworkOutcomes, RequestsEndWithWhatTheServiceDid) {
  struct Case {
    const char* name;
    std::vector<std::string> refused_from_start;
    std::vector<std::string> refused_later;
    NetworkOperation operation;
    bool succeeded;
    std::string message;
    std::string call;  // must have been made once
  };
  const Case cases[] = {
      {"refresh scans", {}, {}, NetworkOperation::Refresh{}, true, "Network list refreshed.", "request_wifi_scan"},
      {"refused scan", {}, {"request_wifi_scan"}, NetworkOperation::Refresh{}, false,
       "Could not refresh network list: refused", "request_wifi_scan"},
      {"unread Wi-Fi state is switched", {"get_wifi"}, {}, NetworkOperation::SetWifiEnabled{true}, true, "Wi-Fi enabled.",
       "set_wifi"},
      {"unread Wi-Fi state, refused", {"get_wifi"}, {"set_wifi"}, NetworkOperation::SetWifiEnabled{true}, false,
       "Could not change Wi-Fi power: refused", "set_wifi"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Mounted mounted([&](FakeMachine& m) {
      for (const auto& call : c.refused_from_start) m.refused.insert(call);
    });
    {
      std::lock_guard guard(mounted.machine->lock);
      mounted.machine->refused.clear();
      for (const auto& call : c.refused_later) mounted.machine->refused.insert(call);
    }
    const std::string key = mounted.harness.hand_over(PaneOperation(c.operation));
    mounted.pass();
    const OperationStatus expected = c.succeeded ? OperationStatus(OperationStatus::Succeeded{key, c.message})
                                                 : OperationStatus(OperationStatus::Failed{key, c.message});
    EXPECT_EQ(mounted.harness.status(), expected);
    EXPECT_EQ(mounted.machine->count(c.call), 1u);
  }
}

TEST(NetworkOutcomes, AProfileSeenAfterTheFirstReadingGetsItsEditorState) {
  Mounted mounted([](FakeMachine& m) { m.refused.insert("list_saved_network_profiles"); });
  EXPECT_FALSE(mounted.flag(autoconnect_key("1234567890ab")).has_value());
  {
    std::lock_guard guard(mounted.machine->lock);
    mounted.machine->refused.clear();
  }
  mounted.harness.hand_over(PaneOperation(NetworkOperation::Refresh{}));
  mounted.pass();
  EXPECT_EQ(mounted.flag(autoconnect_key("1234567890ab")), true);
  EXPECT_EQ(mounted.flag(ipv4_key("abcdef01-2345", "automatic")), true);
  EXPECT_EQ(mounted.text(ipv4_key("abcdef01-2345", "dns")), "1.1.1.1, 9.9.9.9");

  // The editor acts on it like on the others.
  mounted.put(autoconnect_key("1234567890ab"), false);
  mounted.pass();
  EXPECT_EQ(mounted.machine->count("set_network_autoconnect"), 1u);
}

}  // namespace
}  // namespace settings::panes::network::testing
