// The Devices & Sync page as its widget tree shows it, for one table of pane states.
#include "panes/device_mesh/device_mesh_view.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "frame_loop.h"
#include "harness/pane_harness.h"
#include "offscreen_backend.h"
#include "panes/pane_glue.h"
#include "orvo_ui/widgets/badge.h"
#include "orvo_ui/widgets/button.h"
#include "orvo_ui/widgets/card.h"
#include "orvo_ui/widgets/column.h"
#include "orvo_ui/widgets/container.h"
#include "orvo_ui/widgets/dropdown.h"
#include "orvo_ui/widgets/scrollable.h"
#include "orvo_ui/widgets/text.h"
#include "orvo_ui/widgets/text_input.h"
#include "orvo_ui/widgets/toggle.h"
#include "panes/device_mesh/device_mesh_pane.h"

namespace settings::panes::device_mesh {
namespace {

using orvo_relay_protocol::config::DeviceRole;
using orvo_relay_protocol::config::ReplicationPolicy;
using orvo_relay_protocol::config::WorkspaceBinding;
using panes::testing::find_widget;
using panes::testing::texts_of;
using settings_store::roaming_provenance::RoamingProvenance;
using settings_store::roaming_provenance::RoamingSetting;
using settings_store::roaming_provenance::RoamingWifiProfile;

const std::vector<std::string> kFixedCards = {
    "Continue across devices", "Continuity privacy",    "Current Continuity route", "Roaming settings & Wi-Fi",
    "Recent Continuity activity", "Add a personal device", "Your trusted devices",   "Device availability",
    "Synced workspaces",       "Home server or NAS"};

constexpr std::string_view kClipboard = "Share copied text and images with the current certified device.";

PublicKey key_of(std::uint8_t first) {
  PublicKey key;
  key.bytes.fill(first);
  return key;
}

FleetDeviceRow device(std::string label, std::uint8_t key, bool this_device = false, bool revoked = false,
                      bool host = false) {
  const std::string fingerprint = fmt::format("{0:02X} {0:02X} {0:02X} {0:02X} {0:02X} {0:02X}", key);
  return {std::move(label), fingerprint, key_of(key), this_device, revoked, host};
}

HomePeerRegistration peer(std::string node, std::string label) {
  HomePeerRegistration registration;
  registration.device_node_id = std::move(node);
  registration.label = std::move(label);
  return registration;
}

WorkspaceBinding binding(std::uint64_t id, ReplicationKind kind) {
  return WorkspaceBinding{id, ReplicationPolicy{kind, {}}, {}, false};
}

// The built page and what a test reads of it.
class Page {
 public:
  explicit Page(const MeshPageState& state) : root_(build_device_mesh_page(state, controls_)) {}

  std::vector<std::string> card_titles() {
    std::vector<std::string> titles;
    for (orvo_ui::Widget* card : root_->children_mut()) titles.push_back(texts_of(*card).front());
    return titles;
  }
  // The texts of the card with this title; empty when there is none.
  std::vector<std::string> card(std::string_view title) {
    for (orvo_ui::Widget* card : root_->children_mut()) {
      auto texts = texts_of(*card);
      if (texts.front() == title) return texts;
    }
    return {};
  }
  bool shows(std::string_view text) { return contains(texts_of(*root_), text); }
  static bool contains(const std::vector<std::string>& texts, std::string_view text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  }
  // The text right after `label`: a value row's value, a described row's help.
  std::string after(std::string_view card_title, std::string_view label) {
    const auto texts = card(card_title);
    const auto at = std::find(texts.begin(), texts.end(), label);
    return at == texts.end() || at + 1 == texts.end() ? "(no " + std::string(label) + ")" : *(at + 1);
  }

  template <typename W>
  W* get(std::string_view id) {
    return dynamic_cast<W*>(find_widget(*root_, id));
  }
  std::string button(std::string_view id) {
    auto* found = get<orvo_ui::Button>(id);
    if (!found) return "(no button " + std::string(id) + ")";
    return found->label() + (found->is_enabled() ? "" : " (disabled)");
  }
  // Badges as "text/tone", in tree order.
  std::vector<std::string> badges() {
    std::vector<std::string> found;
    std::function<void(orvo_ui::Widget&)> walk = [&](orvo_ui::Widget& widget) {
      if (auto* badge = dynamic_cast<orvo_ui::Badge*>(&widget)) {
        found.push_back(badge->text() + "/" +
                        std::to_string(std::get<orvo_ui::BadgeTone>(badge->style()).tone));
      }
      for (orvo_ui::Widget* child : widget.children_mut()) walk(*child);
    };
    walk(*root_);
    return found;
  }

 private:
  DocumentControls controls_;
  std::unique_ptr<orvo_ui::Widget> root_;
};

struct Case {
  const char* name;
  std::function<void(MeshPageState&)> setup;
  std::function<void(Page&)> check;
};

TEST(DeviceMeshView, PageByState) {
  const PublicKey other = key_of(0x22);
  const Case cases[] = {
      {"personal device without peers: the ten fixed cards",
       [](MeshPageState&) {},
       [](Page& page) {
         EXPECT_EQ(page.card_titles(), kFixedCards);
         EXPECT_FALSE(page.shows("Home peer"));
         EXPECT_EQ(page.after("Continue across devices", "Files"), "Download when opened");
         EXPECT_EQ(page.get<orvo_ui::Dropdown>("device_mesh.replication"), nullptr);
         EXPECT_EQ(page.after("Device availability", "Workspaces"), "0");
         EXPECT_TRUE(page.shows("Choose Always-on server to make this device your always-on sync home."));
         EXPECT_TRUE(page.shows("No local Continuity control changes have been recorded yet."));
         EXPECT_TRUE(page.shows("No roaming settings decision has been published on this device yet."));
         EXPECT_TRUE(page.shows("This device appears here after identity setup completes."));
         EXPECT_TRUE(page.shows("Your workspaces appear here as soon as they are opened."));
         auto* role = page.get<orvo_ui::Dropdown>("device_mesh.role");
         ASSERT_NE(role, nullptr);
         EXPECT_EQ(role->cell().snapshot(), "Personal device");
         EXPECT_EQ(role->choices(),
                   (std::vector<std::string>{"Personal device", "Available while active", "Always-on server"}));
         EXPECT_EQ(role->control_action_bindings().size(), 1u);
       }},
      {"bindings with full copies: the replication dropdown and the role caption",
       [](MeshPageState& s) {
         s.config.role = DeviceRole::AlwaysOnServer;
         s.config.workspaces = {binding(4, ReplicationKind::Full), binding(12, ReplicationKind::Full)};
         s.workspace_labels = {{"Family", 4}, {"Notes", 7}, {"Studio", 12}};
       },
       [](Page& page) {
         auto* files = page.get<orvo_ui::Dropdown>("device_mesh.replication");
         ASSERT_NE(files, nullptr);
         EXPECT_EQ(files->cell().snapshot(), "Full workspace copy");
         EXPECT_EQ(files->choices(), (std::vector<std::string>{"On demand", "Workspace state", "Full workspace copy"}));
         EXPECT_EQ(page.after("Continue across devices", "Files"),
                   "Open workspaces, app progress, and full file copies stay synced on this device.");
         EXPECT_EQ(page.after("Device availability", "Workspaces"), "2");
         EXPECT_TRUE(page.shows("Open workspaces, app progress, and full file copies stay available from this device."));
         const std::pair<const char*, bool> workspaces[] = {
             {"device_mesh.workspace.4", true}, {"device_mesh.workspace.7", false}, {"device_mesh.workspace.12", true}};
         for (const auto& [id, on] : workspaces) {
           auto* toggle = page.get<orvo_ui::Toggle>(id);
           ASSERT_NE(toggle, nullptr) << id;
           EXPECT_EQ(toggle->value(), on) << id;
           EXPECT_EQ(toggle->control_action_bindings().size(), 1u) << id;
         }
         EXPECT_EQ(page.after("Synced workspaces", "Notes"), "Keep this workspace available from this device");
       }},
      {"a per-resource policy reads on demand",
       [](MeshPageState& s) { s.config.workspaces = {binding(4, ReplicationKind::PerResource)}; },
       [](Page& page) {
         EXPECT_EQ(page.get<orvo_ui::Dropdown>("device_mesh.replication")->cell().snapshot(), "On demand");
         EXPECT_EQ(page.after("Continue across devices", "Files"),
                   "File names, metadata, and preview thumbnails stay ready. File contents download when opened.");
       }},
      {"master off, clipboard on: prepared but stopped",
       [](MeshPageState& s) { s.continuity.clipboard = true; },
       [](Page& page) {
         EXPECT_EQ(page.after("Continuity privacy", "Clipboard"),
                   std::string(kClipboard) + " Prepared, but stopped by the master switch.");
         EXPECT_EQ(page.after("Continuity privacy", "Media"),
                   "Continue playback and expose media transport controls. Off on this device.");
         EXPECT_TRUE(page.get<orvo_ui::Toggle>("device_mesh.continuity.clipboard")->value());
         EXPECT_FALSE(page.get<orvo_ui::Toggle>("device_mesh.continuity.enabled")->value());
         EXPECT_EQ(page.get<orvo_ui::Toggle>("device_mesh.continuity.wifi_settings")->control_action_bindings().size(),
                   1u);
       }},
      {"both on and no other trusted device: no certified target",
       [](MeshPageState& s) {
         s.continuity.enabled = s.continuity.clipboard = true;
         s.trusted_devices = {device("This laptop", 0x11, true), device("Old phone", 0x33, false, true)};
       },
       [](Page& page) {
         EXPECT_EQ(page.after("Continuity privacy", "Clipboard"), std::string(kClipboard) + " Active for No certified target.");
         EXPECT_EQ(page.after("Current Continuity route", "Current target"), "No certified target");
         EXPECT_TRUE(page.shows("Add another personal device to make it an eligible Continuity target."));
         EXPECT_EQ(page.after("Current Continuity route", "Source"),
                   "This laptop · certified fingerprint 11 11 11 11 11 11");
         EXPECT_TRUE(page.shows("No capability can become active until another non-revoked certified device is available."));
       }},
      {"another trusted device is the target",
       [](MeshPageState& s) {
         s.continuity.enabled = s.continuity.media = true;
         s.trusted_devices = {device("Old phone", 0x33, false, true), device("Tablet", 0x22), device("Desk", 0x44)};
       },
       [](Page& page) {
         EXPECT_EQ(page.after("Continuity privacy", "Media"),
                   "Continue playback and expose media transport controls. Active for Tablet.");
         EXPECT_EQ(page.after("Current Continuity route", "Current target"), "Tablet");
         EXPECT_TRUE(page.shows("Certified by your Orvo identity · fingerprint 22 22 22 22 22 22. Private keys and "
                                "pairing credentials never appear here."));
         EXPECT_EQ(page.after("Current Continuity route", "Source"),
                   "This source is not yet present in the certified-device fleet.");
         EXPECT_FALSE(page.shows("No capability can become active until another non-revoked certified device is available."));
       }},
      {"three audit entries newest first, the master switch as All Continuity",
       [](MeshPageState& s) {
         s.continuity.audit = {{100, ContinuityCapability::Clipboard, true},
                               {200, std::nullopt, false},
                               {300, ContinuityCapability::TypedGamepad, true}};
       },
       [](Page& page) {
         const auto texts = page.card("Recent Continuity activity");
         std::vector<std::string> entries;
         for (std::size_t i = 0; i + 1 < texts.size(); ++i) {
           if (texts[i] == "Local policy change") entries.push_back(texts[i + 1]);
         }
         EXPECT_EQ(entries, (std::vector<std::string>{"Typed gamepad forwarding allowed · local record 300",
                                                      "All Continuity stopped · local record 200",
                                                      "Clipboard allowed · local record 100"}));
         EXPECT_TRUE(Page::contains(texts, "Only the latest 24 control changes stay on this device. Clipboard data, "
                                           "notification text, file names, session credentials, addresses, and input "
                                           "payloads are never logged."));
       }},
      {"roaming rows: five differing sources, a Wi-Fi profile and the provenance error",
       [](MeshPageState& s) {
         RoamingProvenance provenance;
         provenance.settings.push_back(RoamingSetting{
             "appearance.theme", {"Desk", 9}, {{"A", 1}, {"B", 2}, {"C", 3}, {"D", 4}, {"E", 5}}});
         provenance.wifi_profiles.push_back(RoamingWifiProfile{"Home", "wpa-psk", {"Laptop", 12}, {}});
         s.roaming_provenance = provenance;
         s.roaming_provenance_error = "Roaming provenance is unavailable; no conflict decision is shown: bad";
       },
       [](Page& page) {
         EXPECT_EQ(page.after("Roaming settings & Wi-Fi", "appearance.theme"),
                   "Resolved to Desk · revision 9; differs from A · revision 1, B · revision 2, C · revision 3 and 2 "
                   "more");
         EXPECT_EQ(page.after("Roaming settings & Wi-Fi", "Wi-Fi · Home"), "Sealed wpa-psk profile. From Laptop · revision 12");
         EXPECT_TRUE(page.shows("Roaming provenance is unavailable; no conflict decision is shown: bad"));
         EXPECT_FALSE(page.shows("No personal settings or saved Wi-Fi profiles are roaming."));
       }},
      {"a provenance with no rows",
       [](MeshPageState& s) { s.roaming_provenance = RoamingProvenance{}; },
       [](Page& page) { EXPECT_TRUE(page.shows("No personal settings or saved Wi-Fi profiles are roaming.")); }},
      {"idle pairing buttons",
       [](MeshPageState&) {},
       [](Page& page) {
         EXPECT_EQ(page.button("device_mesh.approve_personal_device"), "Add device");
         EXPECT_EQ(page.button("device_mesh.approve_enrollment"), "Pair home server");
       }},
      {"a personal-device discovery runs: both buttons wait, the outcome shows beside it",
       [](MeshPageState& s) {
         s.pairing_running = true;
         s.pairing_kind = 1;
         s.status_message = "Looking for your new device…";
       },
       [](Page& page) {
         EXPECT_EQ(page.button("device_mesh.approve_personal_device"), "Pairing… (disabled)");
         EXPECT_EQ(page.button("device_mesh.approve_enrollment"), "Pair home server (disabled)");
         EXPECT_TRUE(Page::contains(page.card("Add a personal device"), "Looking for your new device…"));
         EXPECT_TRUE(Page::contains(page.card("Home server or NAS"), "Looking for your new device…"));
       }},
      {"a home-server candidate waits for approval",
       [](MeshPageState& s) {
         s.pair_candidate = PairCandidate{"node-7", "svc-7", "Basement NAS", "428913"};
         s.status_message = "Found Basement NAS. Confirm code 428913 on both devices, then approve.";
       },
       [](Page& page) {
         EXPECT_EQ(page.button("device_mesh.approve_enrollment"), "Approve Basement NAS · 428913");
         EXPECT_EQ(page.button("device_mesh.approve_personal_device"), "Add device");
         EXPECT_FALSE(Page::contains(page.card("Add a personal device"),
                                     "Found Basement NAS. Confirm code 428913 on both devices, then approve."));
       }},
      {"a personal-device candidate waits for approval",
       [](MeshPageState& s) {
         s.pairing_kind = 1;
         s.pair_candidate = PairCandidate{"node-8", "svc-8", "Pixel", "100200"};
         s.status_message = "Found Pixel. Confirm code 100200 on both devices, then approve.";
       },
       [](Page& page) {
         EXPECT_EQ(page.button("device_mesh.approve_personal_device"), "Approve Pixel · 100200");
         EXPECT_EQ(page.button("device_mesh.approve_enrollment"), "Pair home server");
         EXPECT_TRUE(Page::contains(page.card("Add a personal device"),
                                    "Found Pixel. Confirm code 100200 on both devices, then approve."));
       }},
      {"trusted devices: a pending revocation and the badges of the others",
       [other](MeshPageState& s) {
         s.trusted_devices = {device("This laptop", 0x11, true), device("Tablet", 0x22), device("Old phone", 0x33, false, true),
                              device("Basement", 0x44, false, false, true), device("Desk", 0x55)};
         s.pending_revocations = {device_key_hex(other)};
         s.trusted_devices_error = "device fleet identity/schema mismatch";
       },
       [other](Page& page) {
         EXPECT_EQ(page.button(personal_device_key("revoke", other)), "Revoke access");
         EXPECT_EQ(page.button(personal_device_key("cancel", other)), "Cancel");
         const std::string reason_key = personal_device_key("reason", other);
         auto* reason = page.get<orvo_ui::Dropdown>(reason_key);
         ASSERT_NE(reason, nullptr);
         EXPECT_EQ(reason->choices(), (std::vector<std::string>{"Retired", "Lost", "Stolen", "Compromised"}));
         EXPECT_TRUE(page.shows("Why is access ending?"));
         EXPECT_EQ(page.after("Your trusted devices", "Access ends permanently"),
                   "The device stops receiving and authoring new workspace changes. Data already on it is not remotely "
                   "erased; change account passwords too if it is lost or stolen.");
         EXPECT_EQ(page.after("Your trusted devices", "Tablet"), "Identity fingerprint · 22 22 22 22 22 22");
         EXPECT_EQ(page.button(personal_device_key("revoke", key_of(0x55))), "Decommission");
         for (std::uint8_t k : {0x11, 0x33, 0x44}) {
           EXPECT_EQ(page.get<orvo_ui::Button>(personal_device_key("revoke", key_of(k))), nullptr) << int(k);
         }
         EXPECT_EQ(page.badges(), (std::vector<std::string>{"This device/0", "Revoked/2", "Home server/2"}));
         EXPECT_TRUE(page.shows("Device list unavailable: device fleet identity/schema mismatch"));
         EXPECT_FALSE(page.shows("This device appears here after identity setup completes."));
       }},
      {"home peers: a pending removal, the name field and every availability badge",
       [](MeshPageState& s) {
         s.home_peers = {peer("n1", "Basement"), peer("n2", "Office"), peer("n3", "Attic"), peer("n4", "Garage"),
                         peer("n5", "Shed"), peer("n6", "Loft")};
         s.paired_home_server_count = 6;
         s.home_peer_status = {{"n1", "Online · Syncing files"}, {"n2", "Online · Files ready"},
                               {"n4", "Connecting…"},            {"n5", "Removed"},
                               {"n6", "Offline · Last seen 3 min ago"}};
         s.pending_removals = {"n2"};
         s.status_message = "Home server paired";
       },
       [](Page& page) {
         auto titles = page.card_titles();
         EXPECT_EQ(std::vector<std::string>(titles.begin() + 10, titles.end()),
                   (std::vector<std::string>{"Basement", "Office", "Attic", "Garage", "Shed", "Loft"}));
         EXPECT_EQ(page.badges(), (std::vector<std::string>{"Syncing/0", "Online/0", "Checking/1", "Checking/2",
                                                            "Removed/2", "Offline/2"}));
         EXPECT_EQ(page.after("Attic", "Availability"), "Checking…");
         EXPECT_EQ(page.button(home_peer_key("remove", "n1")), "Remove server");
         EXPECT_EQ(page.button(home_peer_key("remove", "n2")), "Revoke & remove");
         EXPECT_EQ(page.button(home_peer_key("cancel_remove", "n2")), "Cancel");
         EXPECT_EQ(page.get<orvo_ui::Button>(home_peer_key("cancel_remove", "n1")), nullptr);
         EXPECT_TRUE(Page::contains(page.card("Office"), "Files are not remotely erased"));
         EXPECT_FALSE(Page::contains(page.card("Basement"), "Files are not remotely erased"));
         EXPECT_EQ(page.button(home_peer_key("rename", "n1")), "Rename");
         auto* name = page.get<orvo_ui::TextInput>(home_peer_key("name", "n3"));
         ASSERT_NE(name, nullptr);
         EXPECT_EQ(name->placeholder(), "Attic");
         EXPECT_EQ(page.after("Home server or NAS", "Paired home servers"), "6");
         EXPECT_TRUE(Page::contains(page.card("Home server or NAS"), "Home server paired"));
         EXPECT_FALSE(Page::contains(page.card("Device availability"), "Home server paired"));
       }},
      {"an always-on server: the Home peer row and the Device services card",
       [](MeshPageState& s) {
         s.config.role = DeviceRole::AlwaysOnServer;
         s.config.services.inbound_relay = true;
         s.sync_status = SyncStatus::Syncing;
       },
       [](Page& page) {
         EXPECT_EQ(page.card_titles().back(), "Device services");
         EXPECT_EQ(page.get<orvo_ui::Dropdown>("device_mesh.role")->cell().snapshot(), "Always-on server");
         EXPECT_EQ(page.after("Device availability", "Home peer"),
                   "Keep this device powered and online while file copies finish.");
         EXPECT_EQ(page.badges(), std::vector<std::string>{"Syncing/1"});
         EXPECT_TRUE(page.shows("Workspaces added to this device stay available around the clock."));
         const std::pair<const char*, bool> services[] = {{"device_mesh.inbound_relay", true},
                                                          {"device_mesh.remote_relay", false},
                                                          {"device_mesh.app_serving", false},
                                                          {"device_mesh.compute", false}};
         for (const auto& [id, on] : services) {
           auto* toggle = page.get<orvo_ui::Toggle>(id);
           ASSERT_NE(toggle, nullptr) << id;
           EXPECT_EQ(toggle->value(), on) << id;
           EXPECT_EQ(toggle->control_action_bindings().size(), 1u) << id;
         }
         EXPECT_EQ(page.after("Device services", "Accept distributed jobs"),
                   "Run compatible background jobs from this device");
       }},
      {"available while active",
       [](MeshPageState& s) { s.config.role = DeviceRole::AvailableWhileActive; },
       [](Page& page) {
         EXPECT_EQ(page.get<orvo_ui::Dropdown>("device_mesh.role")->cell().snapshot(), "Available while active");
         EXPECT_TRUE(page.shows("Workspace updates stay available to your other devices while this device is awake."));
         EXPECT_EQ(page.card_titles().back(), "Device services");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MeshPageState state;
    state.status_message = "Not configured on this device";
    c.setup(state);
    Page page(state);
    c.check(page);
  }
}

TEST(DeviceMeshView, OnlyConfigurationAndSavingOutcomesShowBesideTheRole) {
  const struct {
    const char* message;
    bool shown;
  } cases[] = {
      {"Saved", true},
      {"Saving changes…", true},
      {"Saving latest changes…", true},
      {"Not saved: administrator approval was not granted", true},
      {"Configuration could not be read: bad key", true},
      {"Waiting for the relay", true},
      {"Could not start pairing: no such file", true},
      {"Configuration loaded", false},
      {"Not configured on this device", false},
      {"Saved later", false},
      {"Home server paired", false},
      {"Personal device added", false},
  };
  for (const auto& c : cases) {
    MeshPageState state;
    state.status_message = c.message;
    Page page(state);
    EXPECT_EQ(Page::contains(page.card("Device availability"), c.message), c.shown) << c.message;
  }
}

TEST(DeviceMeshView, ProvenanceText) {
  const ProvenanceSource desk{"Desk", 9};
  const std::vector<ProvenanceSource> three = {{"A", 1}, {"B", 2}, {"C", 3}};
  std::vector<ProvenanceSource> four = three;
  four.push_back({"D", 4});
  EXPECT_EQ(provenance_text(desk, {}), "From Desk · revision 9");
  EXPECT_EQ(provenance_text(desk, {{"A", 1}}), "Resolved to Desk · revision 9; differs from A · revision 1");
  EXPECT_EQ(provenance_text(desk, three),
            "Resolved to Desk · revision 9; differs from A · revision 1, B · revision 2, C · revision 3");
  EXPECT_EQ(provenance_text(desk, four),
            "Resolved to Desk · revision 9; differs from A · revision 1, B · revision 2, C · revision 3 and 1 more");
}

// The page of a fixed state in a scrolled page area, as the window shows a pane.
class PageHost final : public PaneGlue {
 public:
  explicit PageHost(MeshPageState state) : PaneGlue("DeviceMeshPage", DirtyRule::OwnFlagFirst), state_(std::move(state)) {}
  std::string_view type_name() const override { return "DeviceMeshPageHost"; }

 protected:
  std::unique_ptr<orvo_ui::Widget> build_view() override {
    auto scroll = std::make_unique<orvo_ui::Scrollable>(build_device_mesh_page(state_, controls_));
    return std::make_unique<orvo_ui::Container>(orvo_ui::Container(std::move(scroll)).with_fill(true));
  }
  void sync_pane(orvo_doc::Document*, orvo_ui::SyncContext&) override {}

 private:
  MeshPageState state_;
};

// The lowest edge of anything laid out.
double content_bottom(orvo_ui::Widget& widget) {
  double bottom = widget.get_rect().y1;
  for (orvo_ui::Widget* child : widget.children_mut()) bottom = std::max(bottom, content_bottom(*child));
  return bottom;
}

MeshPageState personal_device_with_audit() {
  MeshPageState state;
  state.status_message = "Saved";
  state.continuity.enabled = state.continuity.clipboard = state.continuity.media = true;
  state.continuity.notifications = true;
  state.continuity.record_change(ContinuityCapability::Clipboard, true, 1'765'400'000);
  state.continuity.record_change(std::nullopt, true, 1'765'400'100);
  state.continuity.record_change(ContinuityCapability::Media, true, 1'765'400'200);
  state.trusted_devices = {device("Alexandra's work laptop (2024)", 0x11, true), device("Tablet", 0x22)};
  state.workspace_labels = {{"Family", 4}, {"Studio", 12}};
  RoamingProvenance provenance;
  provenance.settings.push_back(RoamingSetting{"appearance.theme", {"Tablet", 41}, {}});
  provenance.settings.push_back(RoamingSetting{
      "input.keyboard_layout", {"This laptop", 12}, {{"Tablet", 9}, {"Desk", 8}, {"Phone", 7}, {"Old laptop", 3}}});
  provenance.wifi_profiles.push_back(RoamingWifiProfile{"Home network", "wpa-psk", {"Tablet", 5}, {{"Desk", 4}}});
  state.roaming_provenance = std::move(provenance);
  return state;
}

MeshPageState server_with_pending_changes() {
  MeshPageState state;
  state.config.role = DeviceRole::AlwaysOnServer;
  state.config.full_copy = true;
  state.config.services.inbound_relay = true;
  state.config.workspaces = {binding(4, ReplicationKind::Full), binding(12, ReplicationKind::Full)};
  state.workspace_labels = {{"Family", 4}, {"Studio", 12}};
  state.status_message = "Review the file-copy warning, then choose Revoke & remove to stop Office permanently";
  state.sync_status = SyncStatus::Ready;
  state.home_peers = {peer("n1", "Basement NAS"), peer("n2", "Office")};
  state.paired_home_server_count = 2;
  state.home_peer_status = {{"n1", "Online · Files ready"}, {"n2", "Offline · Last seen 4 min ago"}};
  state.pending_removals = {"n2"};
  state.trusted_devices = {device("Rack server", 0x11, true), device("Laptop", 0x22), device("Phone", 0x33)};
  state.pending_revocations = {device_key_hex(key_of(0x33))};
  return state;
}

// Every widget lies inside the window's width at a wide and a narrow size, no text is squeezed
// into a sliver, and no row of a column overlaps the next. With ORVO_MESH_PNG_DIR
// set, the pages are also drawn with the real fonts into PNGs there, whole (the window as tall as
// the page), for a person to look at.
TEST(DeviceMeshView, FitsWideAndNarrowWindows) {
  const std::pair<const char*, MeshPageState> pages[] = {{"personal", personal_device_with_audit()},
                                                         {"server", server_with_pending_changes()}};
  const char* png_dir = std::getenv("ORVO_MESH_PNG_DIR");
  for (const auto& [name, state] : pages) {
    for (std::uint32_t width : {1280u, 600u}) {
      SCOPED_TRACE(fmt::format("{} at {}", name, width));
      PageHost page(state);
      orvo_ui::OffscreenBackend backend(width, 800);
      orvo_ui::App app;
      orvo_ui::FrameLoop loop(backend, page, app, orvo_ui::TextRenderer::Metrics::Fixed);
      loop.frame(backend.take_events());
      std::function<void(orvo_ui::Widget&)> walk = [&](orvo_ui::Widget& widget) {
        const orvo_ui::Rect rect = widget.get_rect();
        EXPECT_GE(rect.x0, -0.5) << widget.name() << " " << widget.widget_id().value_or("");
        EXPECT_LE(rect.x1, width + 0.5) << widget.name() << " " << widget.widget_id().value_or("");
        // No text is squeezed into a sliver beside a wide neighbour.
        if (auto* text = dynamic_cast<orvo_ui::Text*>(&widget); text && text->text().size() > 8) {
          EXPECT_GE(rect.width(), 48) << '"' << text->text() << '"';
        }
        // Nothing in a column is drawn over its neighbour.
        const bool column = dynamic_cast<orvo_ui::Column*>(&widget) != nullptr;
        double above = rect.y0;
        for (orvo_ui::Widget* child : widget.children_mut()) {
          if (column) {
            EXPECT_GE(child->get_rect().y0, above - 0.5) << child->name() << " in a column";
            above = child->get_rect().y1;
          }
          walk(*child);
        }
      };
      walk(page);
      if (!png_dir) continue;
      // Drawn with the real fonts, first to find the page's height, then whole.
      double height = 0;
      {
        PageHost measured(state);
        orvo_ui::OffscreenBackend window(width, 800);
        orvo_ui::App measuring_app;
        orvo_ui::FrameLoop measuring(window, measured, measuring_app, orvo_ui::TextRenderer::Metrics::Fonts);
        measuring.frame(window.take_events());
        height = content_bottom(measured);
      }
      PageHost whole(state);
      orvo_ui::OffscreenBackend tall(width, static_cast<std::uint32_t>(std::max(800.0, height + 24)));
      orvo_ui::App drawing_app;
      orvo_ui::FrameLoop drawn(tall, whole, drawing_app, orvo_ui::TextRenderer::Metrics::Fonts);
      drawn.frame(tall.take_events());
      const auto png = std::filesystem::path(png_dir) / fmt::format("device-mesh-{}-{}.png", name, width);
      EXPECT_TRUE(tall.frame().write_png(png.string()).has_value()) << png;
    }
  }
}

}  // namespace
}  // namespace settings::panes::device_mesh
