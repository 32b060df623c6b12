// The network page from the pane's state: cards, rows, texts and widget ids.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

#include "mounted_pane.h"
#include "orvo_ui/widgets/button.h"
#include "orvo_ui/widgets/qr_widget.h"
#include "orvo_ui/widgets/signal_strength.h"
#include "orvo_ui/widgets/text_input.h"
#include "panes/network/network_keys.h"

namespace settings::panes::network::testing {
namespace {

using panes::testing::find_widget;
using panes::testing::texts_of;

constexpr std::string_view kCardTitles[] = {"Internet access", "Wi-Fi", "Enterprise Wi-Fi", "Wired",
                                            "Connection profiles", "Connection diagnostics", "VPN", "Airplane mode",
                                            "Wi-Fi hotspot", "Mobile broadband"};

struct Page {
  explicit Page(Mounted& mounted) : root(mounted.pane->content()), texts(texts_of(*root)) {}
  bool shows(std::string_view text) const { return std::find(texts.begin(), texts.end(), text) != texts.end(); }
  bool has(std::string_view id) const { return find_widget(*root, id) != nullptr; }
  std::string label(std::string_view id) const {
    auto* button = dynamic_cast<orvo_ui::Button*>(find_widget(*root, id));
    return button ? button->label() : "";
  }
  // The card titles shown, in order.
  std::vector<std::string> titles() const {
    std::vector<std::string> shown;
    for (const auto& text : texts) {
      if (std::find(std::begin(kCardTitles), std::end(kCardTitles), text) != std::end(kCardTitles)) shown.push_back(text);
    }
    return shown;
  }
  std::unique_ptr<orvo_ui::Widget> root;
  std::vector<std::string> texts;
};

orvo_ui::QrWidget* find_qr(orvo_ui::Widget& root) {
  if (auto* qr = dynamic_cast<orvo_ui::QrWidget*>(&root)) return qr;
  for (auto* child : root.children_mut()) {
    if (auto* found = find_qr(*child)) return found;
  }
  return nullptr;
}

TEST(NetworkPage, NineCardsTenWithMobileHardwareInOrder) {
  for (const bool mobile : {false, true}) {
    SCOPED_TRACE(mobile);
    Mounted mounted([&](FakeMachine& m) { m.radio.mobile_present = mobile; });
    const std::vector<std::string> expected(std::begin(kCardTitles), std::end(kCardTitles) - (mobile ? 0 : 1));
    EXPECT_EQ(Page(mounted).titles(), expected);
  }
}

TEST(NetworkPage, WifiCardRowsGlyphsAndStatus) {
  Mounted mounted([](FakeMachine& m) {
    m.networks = {{"Zero", true, 0, 0, 1}, {"One", false, 1, 1, 0}, {"Two", true, 1, 2, 1},
                  {"Three", false, 0, 3, 0}, {"Four", false, 0, 4, 0}, {"Nine", true, 0, 9, 1}};
  });
  mounted.pane->set_expanded_network(mounted.doc(), "Two");
  const Page page(mounted);
  EXPECT_TRUE(page.shows("Connected to One"));
  // Each network: drawn signal bars (four at most) and lock, then its name.
  std::vector<std::pair<int, bool>> icons;
  std::function<void(orvo_ui::Widget&)> walk = [&](orvo_ui::Widget& w) {
    if (auto* icon = dynamic_cast<orvo_ui::SignalStrength*>(&w)) icons.emplace_back(icon->bars(), icon->secured());
    for (orvo_ui::Widget* child : w.children_mut()) walk(*child);
  };
  walk(*page.root);
  EXPECT_EQ(icons, (std::vector<std::pair<int, bool>>{{0, true}, {1, false}, {2, true}, {3, false}, {4, false}, {4, true}}));
  for (std::string_view name : {"Zero", "One", "Two", "Three", "Four", "Nine"}) EXPECT_TRUE(page.shows(name)) << name;
  EXPECT_EQ(page.label(connect_key("One")), "Connected");
  EXPECT_EQ(page.label(connect_key("Two")), "Connected");
  EXPECT_EQ(page.label(connect_key("Three")), "Connect");
  // The open row: a masked field on the row's buffer and its Join button.
  auto* field = dynamic_cast<orvo_ui::TextInput*>(find_widget(*page.root, "settings.network.password.Two"));
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(page.label(join_key("Two")), "Join");
  EXPECT_FALSE(page.has(join_key("Three")));
  EXPECT_TRUE(page.has(kRefreshKey));

  mounted.pane->set_expanded_network(mounted.doc(), "Three");
  EXPECT_EQ(Page(mounted).label(connect_key("Three")), "Cancel");
}

TEST(NetworkPage, WifiOffShowsTheNoticeAndStillRefresh) {
  Mounted mounted([](FakeMachine& m) { m.wifi = false; });
  mounted.press(kDiagnosticsRunKey);  // any sentence: here the diagnostics' own
  const Page page(mounted);
  EXPECT_TRUE(page.shows("Wi-Fi is off"));
  EXPECT_TRUE(page.shows("Network diagnostics completed."));
  EXPECT_FALSE(page.has(connect_key("Home")));
  EXPECT_EQ(page.label(kRefreshKey), "Refresh");
  EXPECT_TRUE(page.shows("Wi-Fi scanning and connection are best-effort via nmcli; secure networks prompt for a password "
                         "before joining."));
}

TEST(NetworkPage, WiredEditorAndItsProfilePicker) {
  Mounted one;
  Page single(one);
  EXPECT_FALSE(single.has(kIpv4ProfileKey));
  EXPECT_TRUE(single.has(ipv4_key("abcdef01-2345", "dns")));
  EXPECT_TRUE(single.shows("Connected · Wired connection 1"));
  EXPECT_TRUE(single.has("network.wired"));

  Mounted two([](FakeMachine& m) { m.profiles.push_back({"Dock", "99999999-aaaa", "802-3-ethernet", true}); });
  EXPECT_TRUE(Page(two).has(kIpv4ProfileKey));

  // No wired device: no switch, but the status rows; an unreadable method shows its caption.
  Mounted none([](FakeMachine& m) {
    m.wired = {};
    m.settings["abcdef01-2345"] = net::ConnectionProfileSettings{};
  });
  Page without(none);
  EXPECT_FALSE(without.has("network.wired"));
  EXPECT_TRUE(without.shows("Not connected"));
  EXPECT_TRUE(without.shows("—"));
  EXPECT_TRUE(without.shows(
      "This profile's IPv4 method is unsupported or could not be read; Settings will leave it unchanged."));
}

TEST(NetworkPage, PolicyEditorFallsBackToTheFirstWifiProfile) {
  Mounted mounted([](FakeMachine& m) { m.profiles.push_back({"Office", "fedcba9876", "802-11-wireless", true}); });
  mounted.press(kAdvancedKey);
  mounted.put_text(kAdvancedProfileKey, "Office · fedcba98");
  mounted.pass();
  EXPECT_TRUE(Page(mounted).shows("Connection policy for Office. NetworkManager remains the source of truth."));
  EXPECT_EQ(Page(mounted).label(kAdvancedKey), "Hide connection policy");

  mounted.machine->profiles.pop_back();
  mounted.press(kRefreshKey);
  const Page page(mounted);
  EXPECT_TRUE(page.shows("Connection policy for Home. NetworkManager remains the source of truth."));
  EXPECT_FALSE(page.has(kAdvancedProfileKey));  // one Wi-Fi profile left: no picker
  EXPECT_TRUE(page.has(policy_key("1234567890ab")));
}

TEST(NetworkPage, DiagnosticsVpnAndHotspotCards) {
  Mounted mounted([](FakeMachine& m) {
    m.vpns.clear();
    m.radio.hotspot.reset();
  });
  mounted.press(kDiagnosticsRunKey);
  Page page(mounted);
  EXPECT_TRUE(page.shows("Not provided"));
  EXPECT_EQ(page.label(kVpnStudioOpenKey), "Open VPN Studio");
  EXPECT_TRUE(page.shows("No VPN profiles yet. VPN Studio can import WireGuard and OpenVPN configurations."));
  EXPECT_TRUE(page.shows("Active"));
  EXPECT_FALSE(page.shows("Connected devices"));

  Mounted with_vpn;
  Page vpn(with_vpn);
  EXPECT_EQ(vpn.label(vpn_studio_key("Office")), "Open VPN Studio");
  EXPECT_TRUE(vpn.has(vpn_key("Office")));
  EXPECT_TRUE(vpn.shows("Off"));
}

TEST(NetworkPage, TheHotspotQrWhileShownAndWipedWhenDropped) {
  Mounted mounted;
  mounted.pane->hotspot_password()->assign("correct horse");
  mounted.press(kHotspotQrKey);
  std::vector<bool> dropped_clean;
  orvo_ui::QrWidget::set_drop_observer_for_testing(
      [&](std::span<const char> payload, std::span<const std::uint8_t> modules) {
        if (payload.empty()) return;  // a widget moved from
        dropped_clean.push_back(std::all_of(payload.begin(), payload.end(), [](char c) { return c == 0; }) &&
                                std::all_of(modules.begin(), modules.end(), [](std::uint8_t m) { return m == 0; }));
      });
  {
    Page page(mounted);
    auto* qr = find_qr(*page.root);
    ASSERT_NE(qr, nullptr);
    EXPECT_EQ(qr->payload(), "WIFI:T:WPA;S:Orvo Hotspot;P:correct horse;;");
    EXPECT_TRUE(page.shows("Scan to join. The QR code contains the hotspot password."));
    EXPECT_EQ(page.label(kHotspotQrKey), "Hide QR");
  }
  orvo_ui::QrWidget::set_drop_observer_for_testing({});
  ASSERT_FALSE(dropped_clean.empty());
  EXPECT_TRUE(std::all_of(dropped_clean.begin(), dropped_clean.end(), [](bool clean) { return clean; }));

  mounted.press(kHotspotQrKey);
  EXPECT_EQ(find_qr(*Page(mounted).root), nullptr);
}

TEST(NetworkPage, SecretFieldsNeverShowTheirText) {
  Mounted mounted([](FakeMachine& m) { m.radio.mobile_present = true; });
  mounted.pane->secret_input(kMobilePinField)->assign("4321");
  mounted.pane->hotspot_password()->assign("correct horse");
  mounted.press(kEnterpriseEditorKey);
  mounted.pane->secret_input(kEnterprisePasswordField)->assign("hunter22");
  Page page(mounted);
  for (std::string_view id : {"network.mobile.pin", "network.hotspot.password", "network.enterprise.password"}) {
    EXPECT_TRUE(page.has(id)) << id;
  }
  for (const auto& text : page.texts) {
    for (std::string_view secret : {"4321", "correct horse", "hunter22"}) EXPECT_EQ(text.find(secret), std::string::npos);
  }
  EXPECT_EQ(page.label(kEnterpriseEditorKey), "Close enterprise setup");
  EXPECT_TRUE(page.has(kEnterpriseCaKey));
}

TEST(NetworkPageInTheWindow, ConnectAsksForThePasswordAndJoinUsesIt) {
  Mounted mounted;
  panes::testing::PaneInALoop window(*mounted.pane, 1280, 1600);
  const auto frames_until = [&](const std::function<bool()>& done) {
    for (int i = 0; i < 1000 && !done(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      window.frame();
    }
  };
  // No password is stored or shared for "Home": its row opens for one.
  window.click(*find_widget(*mounted.pane, connect_key("Home")));
  frames_until([&] { return find_widget(*mounted.pane, "settings.network.password.Home") != nullptr; });
  auto* field = find_widget(*mounted.pane, "settings.network.password.Home");
  ASSERT_NE(field, nullptr);
  EXPECT_TRUE(mounted.pane->status_message()->starts_with("Enter the password for Home."));

  window.click(*field);
  window.type("home password");
  const auto buffer = mounted.pane->wifi_password("Home");
  ASSERT_TRUE(buffer);
  EXPECT_EQ(buffer->copy().view(), "home password");
  window.click(*find_widget(*mounted.pane, join_key("Home")));
  frames_until([&] {
    std::lock_guard guard(mounted.machine->lock);
    return !mounted.machine->joins.empty() && mounted.pane->joins_in_flight().empty();
  });
  EXPECT_EQ(mounted.machine->joins, (std::vector<std::pair<std::string, bool>>{{"Home", true}}));
  EXPECT_TRUE(buffer->empty());
  EXPECT_EQ(find_widget(*mounted.pane, "settings.network.password.Home"), nullptr);
}

}  // namespace
}  // namespace settings::panes::network::testing
