// The root widget in the toolkit's frame loop: construction, the shell, section switches, the
// search query, scale changes, the narrow layout and the state snapshot.
#include <gtest/gtest.h>

#include <unistd.h>

#include "accounts/store_access.h"
#include "orvo_doc/document.h"
#include "../device_local/fake_probe.h"
#include "root_support.h"
#include "settings_app/pane_factory.h"

namespace settings::settings_app {
namespace {

using testing::all_ids;
using testing::RootInALoop;

std::vector<std::string> matching_ids(std::string_view query) {
  std::vector<std::string> ids;
  for (SettingsSection s : SIDEBAR_ORDER) {
    if (s.matches(query)) ids.emplace_back(s.id());
  }
  return ids;
}

std::optional<SettingsSection> sidebar_section(std::string_view id) {
  for (SettingsSection s : SIDEBAR_ORDER) {
    if (s.id() == id) return s;
  }
  return std::nullopt;
}

SettingsSection second_match(const std::vector<std::string>& ids) { return *sidebar_section(ids.at(1)); }

std::optional<orvo_ui::PaneDescriptor> shown_pane(SettingsApp& root) {
  if (!root.shell_mut()) return std::nullopt;
  for (orvo_ui::Widget* child : root.shell_mut()->children_mut()) {
    if (child == root.shell()->content()) return child->pane_descriptor();
  }
  return std::nullopt;
}

TEST(SettingsAppState, AFreshRootHasNoShellAndIdleCells) {
  SettingsApp root(std::nullopt);
  EXPECT_EQ(root.shell(), nullptr);
  EXPECT_TRUE(root.children().empty());
  EXPECT_EQ(root.section(), SettingsSection::Network);
  EXPECT_EQ(root.search_query(), "");
  EXPECT_EQ(root.search_text().snapshot(), "");
  EXPECT_EQ(root.selection().snapshot(), std::nullopt);
  EXPECT_EQ(root.device_mesh_operation().snapshot(), std::nullopt);
  EXPECT_EQ(root.accounts_request().snapshot(), std::nullopt);
  EXPECT_EQ(root.pane_operation().snapshot(), std::nullopt);
  EXPECT_TRUE(std::holds_alternative<OperationStatus::Idle>(root.operation_status().snapshot()));
  EXPECT_EQ(root.pending_operation_key(), std::nullopt);
  EXPECT_FALSE(root.operation_running());
  EXPECT_FALSE(root.structure_dirty());
  EXPECT_EQ(root.scale(), 1.0f);
  EXPECT_EQ(root.get_rect(), orvo_ui::Rect{});
  EXPECT_TRUE(root.accounts().empty());
  EXPECT_TRUE(root.account_check());
  EXPECT_EQ(root.search_catalog().name(), "Personal Settings");
  EXPECT_EQ(root.name(), "SettingsApp");
  EXPECT_EQ(root.type_name(), "settings::settings_app::SettingsApp");
  auto node = root.accessibility();
  ASSERT_TRUE(node);
  EXPECT_EQ(node->label, "Settings");
  EXPECT_EQ(node->id, "settings.app");
}

TEST(SettingsAppState, AMissingAccountsDirectoryGivesAnEmptyList) {
  SettingsApp root(std::filesystem::path("/nonexistent/accounts"));
  EXPECT_TRUE(root.accounts().empty());
  root.reload_accounts();
  EXPECT_TRUE(root.accounts().empty());
}

TEST(SettingsAppState, ReloadingPicksUpAccountsAddedToTheStore) {
  const auto dir = std::filesystem::temp_directory_path() / ("settings-root-accounts-" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  SettingsApp root(dir);
  EXPECT_TRUE(root.accounts().empty());

  ::accounts::AccountStore store;
  for (const char* id : {"b-second", "a-first"}) {
    ::accounts::Account account;
    account.id = id;
    account.type_id = "webdav";
    store.accounts.push_back(account);
  }
  ASSERT_TRUE(settings::accounts::save_account_store(dir, store).has_value());
  root.reload_accounts();
  ASSERT_EQ(root.accounts().size(), 2u);
  EXPECT_EQ(root.accounts()[0].id, "b-second");
  EXPECT_EQ(root.accounts()[1].id, "a-first");
  EXPECT_EQ(SettingsApp(dir).accounts().size(), 2u);
  std::filesystem::remove_all(dir);
}

TEST(SettingsAppState, TwoRootsShareNoCells) {
  SettingsApp a(std::nullopt);
  SettingsApp b(std::nullopt);
  EXPECT_FALSE(a.selection().shares_with(b.selection()));
  EXPECT_FALSE(a.search_text().shares_with(b.search_text()));
  EXPECT_FALSE(a.device_mesh_operation().shares_with(b.device_mesh_operation()));
  EXPECT_FALSE(a.accounts_request().shares_with(b.accounts_request()));
  EXPECT_FALSE(a.operation_status().shares_with(b.operation_status()));
  EXPECT_FALSE(a.pane_operation().shares_with(b.pane_operation()));
  EXPECT_FALSE(a.search_catalog().shares_with(b.search_catalog()));
  a.selection().publish(SettingsSection::About);
  a.search_text().publish("wifi");
  EXPECT_EQ(b.selection().snapshot(), std::nullopt);
  EXPECT_EQ(b.search_text().snapshot(), "");
}

TEST(SettingsAppState, DeclaresTheSeventeenOperationKindsInOrder) {
  SettingsApp root(std::nullopt);
  auto kinds = root.operation_kinds();
  ASSERT_EQ(kinds.size(), 17u);
  EXPECT_EQ(kinds.front(), "settings.open-pane");
  EXPECT_EQ(kinds[1], "settings.account-operation");
  EXPECT_EQ(kinds.back(), "settings.agent-provider-operation");
  EXPECT_EQ(root.resource_operation_handlers().size(), 17u);
}

TEST(SettingsAppState, SelectionAndQueryBeforeTheFirstLayoutShapeTheFirstShell) {
  SettingsApp root(std::nullopt);
  root.selection().publish(SettingsSection::Power);
  root.search_text().publish("bat");
  orvo_ui::SyncContext sync;
  root.sync(sync);
  EXPECT_EQ(root.section(), SettingsSection::Power);
  EXPECT_EQ(root.search_query(), "bat");
  EXPECT_EQ(root.selection().snapshot(), std::nullopt);
  EXPECT_TRUE(root.take_structure_dirty());
  EXPECT_FALSE(root.take_structure_dirty());
  EXPECT_EQ(root.shell(), nullptr);

  const orvo_doc::Document empty;
  auto state = nlohmann::json::parse(*root.state_json(empty, orvo_doc::kRoot));
  EXPECT_EQ(state["ready"], false);
  EXPECT_EQ(state["root_rect"], nlohmann::json::parse("[0.0,0.0,0.0,0.0]"));
  EXPECT_EQ(state["narrow"], false);
  EXPECT_EQ(state["sidebar_open"], false);
  EXPECT_EQ(state["selected_category"], "power");
  EXPECT_EQ(state["rendered_result_count"], 0);

  RootInALoop run;
  run.root().selection().publish(SettingsSection::Power);
  run.frame();
  EXPECT_EQ(shown_pane(run.root())->id, "power");
}

TEST(RootInTheLoop, TheFirstFrameShowsAllSectionsAndTheNetworkPage) {
  RootInALoop run;
  auto before = run.state();
  EXPECT_EQ(before["ready"], false);
  run.frame();
  auto state = run.state();
  EXPECT_EQ(state["app"], "so.orvo.settings");
  EXPECT_EQ(state["search_id"], "settings.search");
  EXPECT_EQ(state["rendered_category_ids"], all_ids());
  EXPECT_EQ(state["rendered_result_count"], 22);
  EXPECT_EQ(state["selected_category"], "network");
  EXPECT_EQ(state["root_rect"], nlohmann::json::parse("[0.0,0.0,1280.0,800.0]"));
  EXPECT_EQ(state["narrow"], false);
  EXPECT_EQ(state["sidebar_open"], true);
  EXPECT_EQ(state["ready"], true);
  EXPECT_EQ(state["search_widget_text"], "");
  EXPECT_EQ(state["search_focused"], false);
  EXPECT_EQ(shown_pane(run.root())->title, "Network");
  ASSERT_NE(run.root().shell(), nullptr);
  EXPECT_GT(run.root().shell()->content_width(), 0);
}

TEST(RootInTheLoop, ClickingARowSwitchesThePageAndReselectingChangesNothing) {
  RootInALoop run;
  run.frame();
  run.run(run.click_row(SettingsSection::Bluetooth));
  EXPECT_EQ(run.state()["selected_category"], "bluetooth");
  EXPECT_EQ(shown_pane(run.root())->title, "Bluetooth");
  EXPECT_TRUE(run.row(SettingsSection::Bluetooth)->selected());
  EXPECT_EQ(run.root().selection().snapshot(), std::nullopt);

  const orvo_ui::Widget* page = run.root().shell()->content();
  const orvo_ui::Widget* nav = run.root().shell()->nav();
  run.run(run.click_row(SettingsSection::Bluetooth));
  EXPECT_EQ(run.root().shell()->content(), page);
  EXPECT_EQ(run.root().shell()->nav(), nav);
  EXPECT_EQ(run.root().selection().snapshot(), std::nullopt);
  EXPECT_FALSE(run.root().take_structure_dirty());

  run.run(run.click_row(SettingsSection::Displays));
  EXPECT_EQ(run.state()["selected_category"], "displays");
  EXPECT_EQ(shown_pane(run.root())->subtitle, SettingsSection(SettingsSection::Displays).description());
}

TEST(RootInTheLoop, AQueryShowsOnlyMatchesAndClearingItShowsAllAgain) {
  RootInALoop run;
  run.frame();
  const double grouped_row_width = run.row(SettingsSection::Bluetooth)->get_rect().width();
  EXPECT_GT(grouped_row_width, 200);
  const orvo_ui::Widget* page = run.root().shell()->content();
  run.run(run.click_search_field() + "\ntext dev");
  auto state = run.state();
  const auto matches = matching_ids("dev");
  ASSERT_GE(matches.size(), 2u);
  ASSERT_LT(matches.size(), 22u);
  EXPECT_EQ(state["synchronized_search_query"], "dev");
  EXPECT_EQ(state["local_search_text"], "dev");
  EXPECT_EQ(state["search_widget_text"], "dev");
  EXPECT_EQ(state["search_caret_byte"], 3);
  EXPECT_EQ(state["search_focused"], true);
  EXPECT_EQ(state["rendered_category_ids"], matches);
  // Result rows are as wide as the grouped rows were.
  EXPECT_EQ(run.row(second_match(matches))->get_rect().width(), grouped_row_width);
  // A query change rebuilds only the sidebar.
  EXPECT_EQ(run.root().shell()->content(), page);
  const orvo_ui::Widget* nav = run.root().shell()->nav();
  run.frame();
  EXPECT_EQ(run.root().shell()->nav(), nav);

  // A result row opens its section.
  const SettingsSection second = *sidebar_section(matches[1]);
  run.run(run.click_row(second));
  EXPECT_EQ(run.state()["selected_category"], matches[1]);
  EXPECT_EQ(run.state()["rendered_category_ids"], matches);

  run.run(run.click_search_field() + "\nkey backspace\nkey backspace\nkey backspace");
  EXPECT_EQ(run.state()["synchronized_search_query"], "");
  EXPECT_EQ(run.state()["rendered_category_ids"], all_ids());
}

TEST(RootInTheLoop, AScaleChangeRebuildsTheShellAndKeepsQueryAndSection) {
  RootInALoop run;
  run.frame();
  run.run(run.click_search_field() + "\ntext sound");
  run.run(run.click_row(SettingsSection::Sound));
  const orvo_ui::AppShell* shell = run.root().shell();
  const orvo_ui::Widget* page = shell->content();
  run.backend().set_scale(2.0);
  run.frame();
  EXPECT_EQ(run.root().scale(), 2.0f);
  EXPECT_NE(run.root().shell()->content(), page);
  auto state = run.state();
  EXPECT_EQ(state["synchronized_search_query"], "sound");
  EXPECT_EQ(state["selected_category"], "sound");
  EXPECT_EQ(state["rendered_category_ids"], matching_ids("sound"));
  EXPECT_EQ(state["search_widget_text"], "sound");
  // The same scale again keeps the shell.
  page = run.root().shell()->content();
  run.run("resize 1200 800");
  EXPECT_EQ(run.root().shell()->content(), page);
}

TEST(RootInTheLoop, ANarrowWindowHidesTheNavigationAfterASelection) {
  RootInALoop run(600, 800);
  run.frame();
  auto state = run.state();
  EXPECT_EQ(state["narrow"], true);
  EXPECT_EQ(state["sidebar_open"], true);
  run.run(run.click_row(SettingsSection::Printers));
  state = run.state();
  EXPECT_EQ(state["selected_category"], "printers");
  EXPECT_EQ(state["narrow"], true);
  EXPECT_EQ(state["sidebar_open"], false);
  run.run("resize 1280 800");
  state = run.state();
  EXPECT_EQ(state["narrow"], false);
  EXPECT_EQ(state["sidebar_open"], true);
}

TEST(RootStateSnapshot, HasTheTwentyKeysInOrder) {
  RootInALoop run;
  run.frame();
  auto text = *run.root().state_json(run.loop().document(), orvo_doc::kRoot);
  auto state = nlohmann::ordered_json::parse(text);
  std::vector<std::string> keys;
  for (auto it = state.begin(); it != state.end(); ++it) keys.push_back(it.key());
  EXPECT_EQ(keys, (std::vector<std::string>{
                      "app", "search_id", "ready", "local_search_text", "synchronized_search_query",
                      "search_widget_text", "search_caret_byte", "search_focused", "search_rect", "root_rect",
                      "selected_category", "rendered_result_count", "rendered_category_ids", "narrow",
                      "sidebar_open", "document_root", "document_actor", "document_witness_kind",
                      "effective_document_heads", "original_pending_ops"}));
}

TEST(RootStateSnapshot, ReadsTheDocumentThroughAClone) {
  SettingsApp root(std::nullopt);
  orvo_doc::Document doc;
  ASSERT_TRUE(doc.put(orvo_doc::kRoot, "a", orvo_doc::ScalarValue::int64(1)).has_value());
  doc.commit();
  for (const char* key : {"b", "c", "d"}) {
    ASSERT_TRUE(doc.put(orvo_doc::kRoot, key, orvo_doc::ScalarValue::boolean(true)).has_value());
  }
  auto state = nlohmann::json::parse(*root.state_json(doc, orvo_doc::kRoot));
  EXPECT_EQ(state["original_pending_ops"], 3);
  EXPECT_EQ(doc.pending_ops(), 3u);
  EXPECT_EQ(state["document_root"], "Root");
  EXPECT_EQ(state["document_actor"], doc.actor_id().to_hex_string());
  EXPECT_EQ(state["document_witness_kind"], "effective_heads_on_disposable_clone");
  auto clone = doc.clone();
  auto heads = clone.get_heads();
  ASSERT_EQ(heads.size(), 1u);
  EXPECT_EQ(state["effective_document_heads"], (std::vector<std::string>{heads[0].to_hex()}));
}

// Another section chosen just as an operation is handed over: the page shown now cannot carry it
// out, so it ends at once with that sentence instead of waiting for the caller to give up, and the
// runner is free for the next one.
TEST(RootOperations, AnOperationThePageShownCannotCarryOutEndsAtOnce) {
  RootInALoop root;
  SettingsApp& app = root.root();
  app.set_device_probe(std::make_shared<device_local::testing::FakeProbe>());
  root.frame();
  orvo_ui::RequestId id{};
  id[0] = 7;
  ASSERT_EQ(app.start_resource_operation_with_document(id, orvo_ui::OperationClass::Effect, "settings.bluetooth-operation",
                                                       R"({"SetPowered":{"enabled":true}})", nullptr),
            orvo_ui::StartAnswer(orvo_ui::start::InFlight{}));
  const std::string key = app.pending_operation_key().value_or("");
  (void)app.selection().publish(SettingsSection::Network);
  root.frame();
  EXPECT_EQ(app.section(), SettingsSection::Network);
  EXPECT_EQ(app.operation_status().snapshot(),
            OperationStatus(OperationStatus::Failed{key, "This page cannot carry out this operation."}));
  EXPECT_FALSE(app.pane_operation().snapshot().has_value());
  const auto ended = app.poll_operation_results(id, false);
  ASSERT_TRUE(ended.has_value());
  const auto* failed = std::get_if<orvo_ui::completion::Failed>(&*ended);
  ASSERT_NE(failed, nullptr);
  EXPECT_EQ(failed->message, "This page cannot carry out this operation.");
  EXPECT_FALSE(app.operation_running());
}

}  // namespace
}  // namespace settings::settings_app
