// The accounts page by structure, and the pane in the offscreen loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "accounts/legacy_import.h"
#include "frame_loop.h"
#include "offscreen_backend.h"
#include "orvo_log/log.h"
#include "orvo_ui/widgets/badge.h"
#include "orvo_ui/widgets/button.h"
#include "orvo_ui/widgets/text_input.h"
#include "panes/accounts/accounts_view.h"
#include "pane_fixture.h"

namespace accounts_pane_test {
namespace {

using settings::accounts::AccountKind;
using settings::panes::testing::find_widget;
using settings::panes::testing::PaneInALoop;
using settings::panes::testing::texts_of;
using ::accounts::status::AccountSyncHealth;
using ::accounts::status::AccountSyncStatus;
namespace key = settings::panes::accounts::key;

// Texts and badge labels.
std::vector<std::string> shown(orvo_ui::Widget& root) {
  auto texts = texts_of(root);
  std::function<void(orvo_ui::Widget&)> walk = [&](orvo_ui::Widget& widget) {
    if (auto* badge = dynamic_cast<orvo_ui::Badge*>(&widget)) texts.push_back(badge->text());
    for (orvo_ui::Widget* child : widget.children_mut()) walk(*child);
  };
  walk(root);
  return texts;
}

// The accounts pane inside a tree; null when there is none.
orvo_ui::Widget* find_widget_of_pane(orvo_ui::Widget& root) {
  if (dynamic_cast<AccountsPane*>(&root)) return &root;
  for (orvo_ui::Widget* child : root.children_mut()) {
    if (auto* found = find_widget_of_pane(*child)) return found;
  }
  return nullptr;
}

bool shows(orvo_ui::Widget& root, std::string_view text) {
  const auto texts = shown(root);
  return std::ranges::find(texts, text) != texts.end();
}

bool shows_containing(orvo_ui::Widget& root, std::string_view part) {
  const auto texts = shown(root);
  return std::ranges::any_of(texts, [&](const std::string& t) { return t.find(part) != std::string::npos; });
}

TEST(AccountsBadge, FollowsTheTable) {
  const auto theme = orvo_ui::Theme::dark();
  auto status = [](AccountSyncHealth health) { return AccountSyncStatus{health, {}, {}, {}}; };
  const AccountSyncStatus healthy = status(AccountSyncHealth::Healthy);
  struct Case {
    bool sample, enabled;
    std::optional<AccountSyncStatus> status;
    std::string label;
  };
  const Case cases[] = {
      {true, true, healthy, "Example"},
      {false, false, status(AccountSyncHealth::Error), "Disabled"},
      {false, true, std::nullopt, "Not checked yet"},
      {false, true, status(AccountSyncHealth::Never), "Not checked yet"},
      {false, true, status(AccountSyncHealth::Syncing), "Syncing"},
      {false, true, healthy, "Up to date"},
      {false, true, status(AccountSyncHealth::Offline), "Offline"},
      {false, true, status(AccountSyncHealth::NeedsAuthentication), "Sign in again"},
      {false, true, status(AccountSyncHealth::Error), "Needs attention"},
  };
  for (const auto& c : cases) {
    const auto badge = settings::panes::accounts::status_badge(c.sample, c.enabled, c.status ? &*c.status : nullptr, theme);
    EXPECT_EQ(badge.label, c.label);
  }
  // Offline and sign-in share a colour; error and healthy do not.
  const auto offline = status(AccountSyncHealth::Offline), auth = status(AccountSyncHealth::NeedsAuthentication),
             error = status(AccountSyncHealth::Error);
  using settings::panes::accounts::status_badge;
  EXPECT_EQ(status_badge(false, true, &offline, theme).color, status_badge(false, true, &auth, theme).color);
  EXPECT_NE(status_badge(false, true, &error, theme).color, status_badge(false, true, &healthy, theme).color);
}

TEST(AccountsSyncAge, CountsWholeUnits) {
  using settings::panes::accounts::sync_age;
  const std::int64_t now = 1'000'000;
  EXPECT_EQ(sync_age(now, std::nullopt), "never completed");
  EXPECT_EQ(sync_age(now, now - 59), "just now");
  EXPECT_EQ(sync_age(now, now - 3'599), "59 min ago");
  EXPECT_EQ(sync_age(now, now - 86'399), "23 h ago");
  EXPECT_EQ(sync_age(now, now - 86'400 * 3), "3 d ago");
  EXPECT_EQ(sync_age(now, now + 500), "just now");
  const AccountSyncStatus with_message{AccountSyncHealth::Error, {}, now - 120, "quota"};
  EXPECT_EQ(settings::panes::accounts::sync_line(now, &with_message), "Last successful sync: 2 min ago · quota");
  EXPECT_EQ(settings::panes::accounts::sync_line(now, nullptr), "No application has reported a sync for this account.");
}

TEST_F(AccountsPaneTest, AnEmptyPageSaysSoInEveryCard) {
  auto pane = make_pane();
  PaneInALoop loop(*pane);
  EXPECT_TRUE(shows(*pane, "You have no accounts yet. Use “Add” to connect your first account."));
  for (const auto* caption : {"No email accounts yet.", "No calendar (caldav) accounts yet.",
                              "No files (webdav) accounts yet.", "No nextcloud accounts yet."}) {
    EXPECT_TRUE(shows(*pane, caption)) << caption;
  }
  // Tests keep the vault key in its local file, which the page admits.
  EXPECT_TRUE(shows_containing(*pane, "owner-only local vault key"));
}

TEST_F(AccountsPaneTest, SampleRowsShowOnlyTheExampleBadge) {
  store_accounts({webdav_account("dav-1", "Files")});
  const auto lists = settings::accounts::import_legacy_settings(over_);
  std::filesystem::remove(metadata_file());
  auto pane = std::make_unique<AccountsPane>(AccountsPane::from_app_state(over_, lists, true));
  PaneInALoop loop(*pane);
  EXPECT_TRUE(shows(*pane, "Files"));
  EXPECT_TRUE(shows(*pane, "Example"));
  EXPECT_FALSE(shows_containing(*pane, "sync"));
  EXPECT_EQ(find_widget(*pane, key::edit("dav-1")), nullptr);
  EXPECT_EQ(find_widget(*pane, key::remove("dav-1")), nullptr);
}

TEST_F(AccountsPaneTest, RowsShowTheirStatusAndButtons) {
  store_accounts({webdav_account("dav-1", "Files")});
  ::accounts::status::AccountSyncStatusStore statuses;
  statuses.statuses["dav-1"] = {AccountSyncHealth::Healthy, {}, 100, {}};
  ASSERT_TRUE(settings::accounts::save_sync_statuses(over_, statuses).has_value());
  auto pane = make_pane();
  PaneInALoop loop(*pane);
  EXPECT_TRUE(shows(*pane, "Up to date"));
  EXPECT_TRUE(shows_containing(*pane, "Last successful sync: "));
  auto* check = dynamic_cast<orvo_ui::Button*>(find_widget(*pane, key::test("dav-1")));
  ASSERT_NE(check, nullptr);
  EXPECT_EQ(check->label(), "Check server");
  EXPECT_NE(find_widget(*pane, key::edit("dav-1")), nullptr);
  EXPECT_NE(find_widget(*pane, key::reauth("dav-1")), nullptr);
}

TEST_F(AccountsPaneTest, TheFormShowsTheRowsOfItsKind) {
  auto pane = make_pane();
  PaneInALoop loop(*pane);
  press(*pane, key::add(AccountKind::Email));
  loop.frame();
  EXPECT_TRUE(shows(*pane, "Add Email account"));
  EXPECT_NE(find_widget(*pane, "accounts.form.username"), nullptr);
  EXPECT_EQ(find_widget(*pane, "accounts.form.server"), nullptr);

  press(*pane, key::kFormCancel);
  loop.frame();
  press(*pane, key::add(AccountKind::CalDav));
  loop.frame();
  EXPECT_TRUE(shows(*pane, "Add Calendar (CalDAV) account"));
  EXPECT_EQ(find_widget(*pane, "accounts.form.username"), nullptr);
  EXPECT_NE(find_widget(*pane, "accounts.form.server"), nullptr);
  EXPECT_NE(find_widget(*pane, "accounts.form.password"), nullptr);
}

TEST_F(AccountsPaneTest, TheFormShowsTheCheckAndItsTimeOut) {
  auto pane = make_pane();
  PaneInALoop loop(*pane);
  press(*pane, key::add(AccountKind::WebDav));
  loop.frame();
  fill_webdav(*pane);
  press(*pane, key::kFormSave);
  settled_frame(loop, *pane);
  EXPECT_TRUE(shows(*pane, "Checking the account before saving…"));
  *now_ += std::chrono::seconds(10);
  loop.frame();
  EXPECT_TRUE(shows(*pane, "Could not save: connection check timed out"));
}

TEST_F(AccountsPaneTest, RemovalThroughTheWindow) {
  store_accounts({webdav_account("dav-1", "Files")});
  save_vault({{"dav-1", "secret"}});
  ::accounts::status::AccountSyncStatusStore statuses;
  statuses.statuses["dav-1"] = {AccountSyncHealth::Healthy, {}, 100, {}};
  ASSERT_TRUE(settings::accounts::save_sync_statuses(over_, statuses).has_value());
  auto pane = make_pane();
  PaneInALoop loop(*pane, 1280, 800);
  const auto before = snapshot(root_);

  auto* remove = find_widget(*pane, key::remove("dav-1"));
  ASSERT_NE(remove, nullptr);
  loop.click(*remove);
  loop.frame();
  EXPECT_EQ(snapshot(root_), before);
  EXPECT_TRUE(shows(*pane, "Remove account?"));
  EXPECT_TRUE(shows_containing(*pane, "Files will be removed from this device."));

  loop.click(*find_widget(*pane, key::kRemoveCancel));
  loop.frame();
  EXPECT_FALSE(shows(*pane, "Remove account?"));
  EXPECT_EQ(snapshot(root_), before);

  loop.click(*find_widget(*pane, key::remove("dav-1")));
  loop.frame();
  loop.click(*find_widget(*pane, key::kRemoveConfirm));
  settled_frame(loop, *pane);
  EXPECT_FALSE(stored("dav-1"));
  EXPECT_FALSE(saved_secret("dav-1"));
  EXPECT_EQ(settings::accounts::load_sync_statuses(over_).get("dav-1"), nullptr);
  EXPECT_TRUE(shows(*pane, "No files (webdav) accounts yet."));
}

TEST_F(AccountsPaneTest, AFailedRemovalShowsItsSentenceWithoutAForm) {
  store_accounts({webdav_account("dav-1", "Files")});
  auto pane = make_pane();
  PaneInALoop loop(*pane);
  press(*pane, key::remove("dav-1"));
  loop.frame();
  store_accounts({::accounts::Account::make("dav-1", "nextcloud")});
  press(*pane, key::kRemoveConfirm);
  settled_frame(loop, *pane);
  ASSERT_TRUE(pane->form().message);
  EXPECT_TRUE(shows(*pane, *pane->form().message));
}

// Typed passwords reach no text, accessibility node, document key or log line.
TEST_F(AccountsPaneTest, TypedPasswordsStayInTheirBuffers) {
  store_accounts({webdav_account("dav-1", "Files")});
  save_vault({{"dav-1", "secret"}});
  auto pane = make_pane();
  orvo_log::CaptureScope capture;
  PaneInALoop loop(*pane, 1280, 800);
  press(*pane, key::add(AccountKind::WebDav));
  press(*pane, key::reauth("dav-1"));
  loop.frame();
  const std::string typed_form = "FormPw-7391", typed_reauth = "ReauthPw-2284";
  loop.click(*find_widget(*pane, "accounts.form.password"));
  loop.type(typed_form);
  loop.click(*find_widget(*pane, "accounts.reauth.password"));
  loop.type(typed_reauth);
  loop.frame();
  EXPECT_EQ(pane->form().password->copy().view(), typed_form);
  EXPECT_EQ(pane->reauth_password()->copy().view(), typed_reauth);

  std::vector<std::string> seen = texts_of(*pane);
  std::function<void(orvo_ui::Widget&)> walk = [&](orvo_ui::Widget& widget) {
    if (auto node = widget.accessibility()) {
      for (const auto& part : {node->label, node->description, node->value}) {
        if (part) seen.push_back(*part);
      }
    }
    if (auto* input = dynamic_cast<orvo_ui::TextInput*>(&widget)) seen.push_back(input->shown_text());
    for (orvo_ui::Widget* child : widget.children_mut()) walk(*child);
  };
  walk(*pane);
  for (const auto& event : capture.events()) seen.push_back(event.rendered());
  for (const auto& text : seen) {
    EXPECT_EQ(text.find(typed_form), std::string::npos) << text;
    EXPECT_EQ(text.find(typed_reauth), std::string::npos) << text;
  }
  for (const auto* k : {"accounts.form.password", "accounts.reauth.password"}) {
    auto value = pane->document().get(orvo_doc::kRoot, k);
    ASSERT_TRUE(value.has_value());
    EXPECT_FALSE(value->has_value()) << k;
  }
}

}  // namespace
}  // namespace accounts_pane_test

namespace accounts_pane_test {
namespace {

// The whole root in a loop: the factory builds this pane for its section, and a password typed into
// its form reaches neither the root's state snapshot nor the frame's document.
using settings::accounts::AccountKind;
using settings::panes::testing::find_widget;

TEST_F(AccountsPaneTest, TheRootsSnapshotNeverHoldsATypedPassword) {
  auto& root = harness_.app();
  orvo_ui::OffscreenBackend backend(1280, 800);
  orvo_ui::App app;
  orvo_ui::FrameLoop loop(backend, root, app, orvo_ui::TextRenderer::Metrics::Fixed);
  loop.frame(backend.take_events());
  (void)root.selection().publish(settings::settings_app::SettingsSection::ExternalAccounts);
  loop.frame(backend.take_events());
  using Request = settings::settings_app::AccountsRequest;
  (void)root.accounts_request().publish(Request{Request::Add{AccountKind::WebDav}});
  loop.frame(backend.take_events());
  loop.frame(backend.take_events());

  auto* field = find_widget(root, "accounts.form.password");
  ASSERT_NE(field, nullptr);
  auto* pane = dynamic_cast<AccountsPane*>(find_widget_of_pane(root));
  ASSERT_NE(pane, nullptr);
  const orvo_ui::Point at = field->get_rect().center();
  backend.push(orvo_ui::event::PointerButton{orvo_ui::MouseButton::Primary, true, at});
  backend.push(orvo_ui::event::PointerButton{orvo_ui::MouseButton::Primary, false, at});
  loop.frame(backend.take_events());
  const std::string typed = "RootPw-5150";
  backend.push(orvo_ui::event::TextInput{typed});
  loop.frame(backend.take_events());
  EXPECT_EQ(pane->form().password->copy().view(), typed);

  const auto snapshot = root.state_json(loop.document(), orvo_doc::kRoot);
  ASSERT_TRUE(snapshot);
  EXPECT_EQ(snapshot->find(typed), std::string::npos);
  EXPECT_NE(snapshot->find("external_accounts"), std::string::npos);
}

}  // namespace
}  // namespace accounts_pane_test
