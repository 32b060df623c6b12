// The Apps & Files pane against a temporary home: the kinds and labels it offers (the same as the
// catalogue's), what it publishes, emits, adopts and saves on each pass, and a store it cannot save.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "../../catalogues_lists/catalogue_fixture.h"
#include "services/installed_apps.h"
#include "harness/pane_harness.h"
#include "harness/pane_home.h"
#include "orvo_doc/document.h"
#include "orvo_ui/widgets/dropdown.h"
#include "panes/personal_apps/personal_apps_pane.h"

namespace settings::panes::personal_apps {
namespace {

using desktop_policy::defaults::AppCandidate;
using desktop_policy::defaults::DefaultsPaths;
using desktop_policy::defaults::PersonalDefaults;
using orvo_doc::ScalarValue;
using testing::PaneHarness;

constexpr std::string_view kStoreFile = "config/orvo/personal-defaults.json";
constexpr std::string_view kMimeapps = "config/mimeapps.list";
constexpr std::string_view kTextKey = "default_apps.mime.text/plain";
constexpr std::string_view kTextEdit = "default_apps.mime.text/plain.edit";
const std::string kAlpha = "Alpha \u2014 org.example.Alpha";
const std::string kBeta = "Beta \u2014 org.example.Beta";

const std::vector<AppCandidate> kCandidates{
    {"org.example.Alpha", "Alpha", {"mime:text/plain"}},
    {"org.example.Beta", "Beta", {"mime:text/plain", "scheme:https"}},
};

desktop_entry::DesktopEntry entry(std::string id, std::string name, std::vector<std::string> types) {
  return desktop_entry::DesktopEntry{std::move(id), std::move(name), std::move(types)};
}

struct PaneFixture {
  PaneHarness harness;
  orvo_doc::Document document;
  std::unique_ptr<PersonalAppsPane> pane;

  // `store`: the personal-defaults file, none for no file.
  explicit PaneFixture(std::optional<std::string_view> store = R"({"mime:text/plain": "org.example.Alpha"})") {
    if (store) harness.home().write(kStoreFile, *store);
    pane = std::make_unique<PersonalAppsPane>(kCandidates, PersonalDefaults::load());
  }
  void pass() { PaneHarness::pass(*pane, &document); }
  void put(std::string_view key, std::string value) {
    ASSERT_TRUE(document.put(orvo_doc::kRoot, key, ScalarValue::str(std::move(value))));
  }
  std::optional<std::string> get(std::string_view key) {
    auto value = document.get(orvo_doc::kRoot, key);
    if (!value || !*value) return std::nullopt;
    const auto* text = std::get<ScalarValue>(**value).as_str();
    return text ? std::optional<std::string>(*text) : std::nullopt;
  }
  std::optional<std::string> stored(std::string_view kind) { return PersonalDefaults::load().get(kind); }
  std::string last_emitted() {
    const auto& last = pane->action_host().last_action;
    return last ? last->payload : std::string();
  }
};

TEST(PersonalAppsCandidates, KindsKeysAndIdsAndTheCatalogueAgrees) {
  const std::vector<desktop_entry::DesktopEntry> entries{
      entry("org.example.Pad", "Pad", {"text/plain", "text/plain", "x-scheme-handler/https"}),
      entry("org.example.Editor", "Editor", {"text/plain"}),
      entry("org.example.Another", "Editor", {"text/plain"}),
  };
  const auto candidates = installed_gui_apps({}, entries);
  EXPECT_EQ(candidates.at(2).handles, (std::vector<std::string>{"mime:text/plain", "scheme:https"}));
  EXPECT_EQ(default_app_kinds(candidates), (std::vector<std::string>{"mime:text/plain", "scheme:https"}));
  std::vector<std::string> labels;
  for (const auto& candidate : candidates_for_kind(candidates, "mime:text/plain")) {
    labels.push_back(app_choice_label(candidate));
  }
  // Same names order by id.
  EXPECT_EQ(labels, (std::vector<std::string>{"Editor \u2014 org.example.Another", "Editor \u2014 org.example.Editor",
                                              "Pad \u2014 org.example.Pad"}));
  EXPECT_EQ(default_app_setting_key("mime:application/vnd.ms-excel"), "default_apps.mime.application/vnd.ms-excel");
  EXPECT_EQ(default_app_kind_of_key(candidates, "default_apps.scheme.https"), "scheme:https");
  EXPECT_EQ(default_app_kind_of_key(candidates, "default_apps.scheme.ftp"), std::nullopt);

  PaneHarness harness;
  PersonalAppsPane pane(candidates, PersonalDefaults{});
  testing::PaneInALoop ui(pane, 1280, 800);
  std::vector<std::pair<std::string, std::vector<std::string>>> in_pane;
  for (const auto& kind : pane.kinds()) {
    auto* dropdown = dynamic_cast<orvo_ui::Dropdown*>(testing::find_widget(pane, "personal-default." + kind));
    ASSERT_NE(dropdown, nullptr) << kind;
    in_pane.emplace_back(default_app_setting_key(kind), dropdown->choices());
  }
  actions::testing::Catalogue catalogue;
  catalogue.lists.apps = entries;
  std::vector<std::pair<std::string, std::vector<std::string>>> in_catalogue;
  for (const auto& child : catalogue.build(actions::default_apps_resource).children) {
    const auto& spec = actions::testing::action(child, "set-handler");
    const auto payload = nlohmann::json::parse(actions::testing::invoke(spec).payload);
    in_catalogue.emplace_back(payload.at("SetSetting").at("key").get<std::string>(), spec.params.at(0).allowed_values);
  }
  EXPECT_EQ(in_pane, in_catalogue);
  EXPECT_EQ(in_pane.at(0).first, "default_apps.mime.text/plain");
}

TEST(PersonalAppsPane, PublishesOnceBeforeReconciling) {
  PaneFixture f;
  // A value already in the document is answered by the publication, not taken as a change.
  f.put(kTextKey, kBeta);
  f.pass();
  EXPECT_EQ(f.pane->emitted(), 1u);
  EXPECT_EQ(f.get(kTextKey), kAlpha);
  EXPECT_EQ(f.get(kTextEdit), kAlpha);
  f.pass();
  f.pass();
  EXPECT_EQ(f.pane->emitted(), 1u);
  EXPECT_EQ(f.pane->saves(), 0u);
  EXPECT_EQ(f.stored("mime:text/plain"), "org.example.Alpha");
  EXPECT_FALSE(f.harness.home().read(kMimeapps));
}

TEST(PersonalAppsPane, ReconcilesTheSettingTheDropdownAndTheStore) {
  struct Case {
    const char* name;
    std::string_view key;  // written after the first pass
    std::string value;
    std::size_t emitted;  // beyond the publication
    std::optional<std::string> setting;
    std::string edit;
    std::string stored;
  };
  const Case cases[] = {
      {"the user picks in the dropdown", kTextEdit, kBeta, 1, kBeta, kBeta, "org.example.Beta"},
      {"a label from elsewhere", kTextKey, kBeta, 0, kBeta, kBeta, "org.example.Beta"},
      {"a bare id from elsewhere", kTextKey, "org.example.Beta", 0, "org.example.Beta", kBeta, "org.example.Beta"},
      {"a value naming no application", kTextKey, "Gone \u2014 org.gone", 0, "Gone \u2014 org.gone",
       "Gone \u2014 org.gone", "org.example.Alpha"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PaneFixture f;
    f.pass();
    f.put(c.key, c.value);
    for (int i = 0; i < 5; ++i) f.pass();
    EXPECT_EQ(f.pane->emitted(), 1 + c.emitted);
    if (c.emitted) {
      EXPECT_NE(f.last_emitted().find(kBeta), std::string::npos) << f.last_emitted();
    }
    EXPECT_EQ(f.get(kTextKey), c.setting);
    EXPECT_EQ(f.get(kTextEdit), c.edit);
    EXPECT_EQ(f.stored("mime:text/plain"), c.stored);
    const bool changed = c.stored != "org.example.Alpha";
    EXPECT_EQ(f.pane->saves(), changed ? 1u : 0u);
    EXPECT_EQ(f.harness.home().read(kMimeapps).has_value(), changed);
    if (changed) {
      EXPECT_EQ(f.harness.home().read(kMimeapps), "[Default Applications]\ntext/plain=org.example.Beta.desktop\n");
    }
  }
}

TEST(PersonalAppsPane, ADefaultThatIsNoLongerInstalledWritesNothing) {
  PaneFixture f(R"({"mime:text/plain": "org.example.Removed"})");
  f.pass();
  f.pass();
  EXPECT_EQ(f.pane->emitted(), 0u);
  EXPECT_EQ(f.get(kTextKey), std::nullopt);
  EXPECT_EQ(f.harness.home().read(kStoreFile), R"({"mime:text/plain": "org.example.Removed"})");
  EXPECT_FALSE(f.harness.home().read(kMimeapps));
  // The dropdown offers the first candidate until something is chosen.
  testing::PaneInALoop ui(*f.pane, 1280, 800);
  auto* dropdown = testing::find_widget(*f.pane, "personal-default.mime:text/plain");
  ASSERT_NE(dropdown, nullptr);
  EXPECT_EQ(dropdown->accessibility()->label, kAlpha);
}

TEST(PersonalAppsPane, AChoiceWithNothingPublishedYetIsEmitted) {
  PaneFixture f(std::nullopt);
  f.pass();
  EXPECT_EQ(f.pane->emitted(), 0u);
  f.put(kTextEdit, kBeta);
  f.pass();
  f.pass();
  EXPECT_EQ(f.pane->emitted(), 1u);
  EXPECT_EQ(f.get(kTextKey), kBeta);
  EXPECT_EQ(f.stored("mime:text/plain"), "org.example.Beta");
}

TEST(PersonalAppsPane, AFailedSaveWritesNothingAndIsRetriedAtTheNextChange) {
  PaneHarness harness;
  const auto config = harness.home().config();
  const DefaultsPaths paths{config / "orvo" / "personal-defaults.json", config / "mimeapps.list"};
  std::filesystem::create_directories(paths.store);
  PersonalAppsPane pane(kCandidates, PersonalDefaults{}, paths);
  orvo_doc::Document document;
  ASSERT_TRUE(document.put(orvo_doc::kRoot, kTextKey, ScalarValue::str(kBeta)));
  PaneHarness::pass(pane, &document);
  EXPECT_EQ(pane.saves(), 1u);
  EXPECT_TRUE(std::filesystem::is_directory(paths.store));
  EXPECT_FALSE(std::filesystem::exists(paths.mimeapps));

  std::filesystem::remove(paths.store);
  ASSERT_TRUE(document.put(orvo_doc::kRoot, kTextKey, ScalarValue::str(kAlpha)));
  PaneHarness::pass(pane, &document);
  EXPECT_EQ(pane.saves(), 2u);
  EXPECT_EQ(PersonalDefaults::load_at(paths.store).get("mime:text/plain"), "org.example.Alpha");
  EXPECT_EQ(harness.home().read(kMimeapps), "[Default Applications]\ntext/plain=org.example.Alpha.desktop\n");
}

}  // namespace
}  // namespace settings::panes::personal_apps
