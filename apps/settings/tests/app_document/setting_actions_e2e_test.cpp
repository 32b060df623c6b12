// Setting actions end to end: the application running offscreen, driven by orvo-settings-actions.
// What a client sets reaches the preferences file while the application runs (the region formats
// too, whichever page is shown) and is still the current value after a restart; refusals change
// nothing; a page opened from outside is what the picture written at exit shows.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "../door/child_process.h"
#include "entry.h"

namespace settings::door_tests {
namespace {

using Json = nlohmann::json;
using namespace std::chrono_literals;

constexpr const char* kSavedFile = R"({
  "version": 1,
  "display": {"auto_brightness": true, "night_light": false},
  "appearance": {"theme": "Dark", "high_contrast": false, "reduce_motion": false, "text_scale": 1.0,
                 "accent": "kept for another program"},
  "other_program": {"kept": true}
})";

struct Tool {
  std::optional<int> status;
  std::string out;
  std::string err;
};

class OffscreenSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/appdoc-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    for (const char* sub : {"run", "config/orvo", "state", "home", "tool"}) {
      std::filesystem::create_directories(dir_ / sub);
    }
    ::chmod((dir_ / "run").c_str(), 0700);
    std::ofstream(preferences_file(), std::ios::binary) << kSavedFile;
  }
  void TearDown() override {
    app_.reset();
    std::filesystem::remove_all(dir_);
  }

  std::filesystem::path preferences_file() const { return dir_ / "config" / "orvo" / "settings.json"; }

  std::vector<std::string> environment(const std::string& run) const {
    return environment_with({{"ORVO_UI_BACKEND", "offscreen"},
                             {"ORVO_UI_SCRIPT", std::nullopt},
                             {"ORVO_UI_PNG", (dir_ / (run + ".png")).native()},
                             {"ORVO_UI_STATE", (dir_ / (run + ".json")).native()},
                             {"XDG_RUNTIME_DIR", (dir_ / "run").native()},
                             {"XDG_CONFIG_HOME", (dir_ / "config").native()},
                             {"XDG_STATE_HOME", (dir_ / "state").native()},
                             {"HOME", (dir_ / "home").native()}});
  }

  // Starts the application and waits for its door.
  void start(const std::string& run) {
    std::filesystem::create_directories(dir_ / run);
    run_ = run;
    app_ = std::make_unique<ChildProcess>(ORVO_SETTINGS, std::vector<std::string>{}, environment(run), dir_ / run);
    ASSERT_TRUE(app_->started());
    const auto socket = dir_ / "run" / (std::string(kAppId) + ".actions.sock");
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!std::filesystem::exists(socket) && std::chrono::steady_clock::now() < deadline) {
      ASSERT_FALSE(app_->wait({}, 0ms)) << "the application ended early: " << app_->err();
      std::this_thread::sleep_for(10ms);
    }
    ASSERT_TRUE(std::filesystem::exists(socket)) << app_->err();
  }

  // Ends the application with SIGTERM; answers its state snapshot.
  Json stop() {
    app_->signal(SIGTERM);
    EXPECT_EQ(app_->wait(), 0) << app_->err();
    app_.reset();
    return Json::parse(read_file(dir_ / (run_ + ".json")));
  }

  Tool tool(const std::vector<std::string>& args) const {
    ChildProcess run(ORVO_SETTINGS_ACTIONS, args, environment(run_), dir_ / "tool");
    auto status = run.wait();
    return Tool{status, run.out(), run.err()};
  }

  std::string picture(const std::string& run) const { return read_file(dir_ / (run + ".png")); }

  // The title of an action of a section in the running application's tree.
  std::string action_title(const std::string& section, const std::string& action) const {
    Tool tree = tool({"tree"});
    EXPECT_EQ(tree.status, 0) << tree.err;
    const Json resources = Json::parse(tree.out);
    for (const auto& node : resources[0]["children"]) {
      if (node["id"] != "settings.section:" + section) continue;
      for (const auto& spec : node["actions"]) {
        if (spec["name"] == action) return spec["title"].get<std::string>();
      }
    }
    return "";
  }

  std::filesystem::path dir_;
  std::string run_;
  std::unique_ptr<ChildProcess> app_;
};

TEST_F(OffscreenSettings, SettingActionsReachTheFileAndOutliveARestartRefusalsChangeNothing) {
  start("first");
  const std::vector<std::vector<std::string>> invocations{
      {"invoke", "settings.section:appearance", "theme", R"({"choice":"Nord"})"},
      {"invoke", "settings.section:appearance", "high_contrast"},
      {"invoke", "settings.section:notifications", "dnd"},
      {"invoke", "settings.section:accessibility", "sticky-keys", R"({"value":true})"},
  };
  for (const auto& args : invocations) {
    Tool done = tool(args);
    EXPECT_EQ(done.status, 0) << args[2] << ": " << done.err;
  }
  // While the application still runs.
  const std::string written = read_file(preferences_file());
  const Json saved = Json::parse(written);
  EXPECT_EQ(saved["appearance"]["theme"], "Nord");
  EXPECT_EQ(saved["appearance"]["high_contrast"], true);
  EXPECT_EQ(saved["appearance"]["accent"], "kept for another program");
  EXPECT_EQ(saved["notifications"]["do_not_disturb"], true);
  EXPECT_EQ(saved["accessibility"]["sticky_keys"], true);
  EXPECT_EQ(saved["display"], Json::parse(R"({"auto_brightness": true, "night_light": false})"));
  EXPECT_EQ(saved["other_program"], Json::parse(R"({"kept": true})"));

  Tool neon = tool({"invoke", "settings.section:appearance", "theme", R"({"choice":"Neon"})"});
  EXPECT_EQ(neon.status, 1) << neon.out;
  EXPECT_NE(neon.err.find("Neon"), std::string::npos) << neon.err;
  Tool empty_chord = tool({"invoke", "settings.section:keyboard_shortcuts", "search", R"({"choice":""})"});
  EXPECT_EQ(empty_chord.status, 1) << empty_chord.out;
  EXPECT_NE(empty_chord.err.find("settings target is stale, unknown, or has an invalid value: shortcuts.search"),
            std::string::npos)
      << empty_chord.err;
  EXPECT_EQ(read_file(preferences_file()), written) << "refusals leave the file as it was";

  const Json state = stop();
  for (const char* key : {"document_root", "document_actor", "document_witness_kind"}) {
    EXPECT_TRUE(state[key].is_string()) << key << ": " << state[key];
  }
  EXPECT_EQ(state["document_root"], "Root");
  EXPECT_EQ(state["effective_document_heads"].size(), 1u);
  EXPECT_TRUE(state["original_pending_ops"].is_number()) << state["original_pending_ops"];

  start("second");
  EXPECT_EQ(action_title("appearance", "high_contrast"), "Turn off high contrast");
  EXPECT_EQ(action_title("notifications", "dnd"), "Turn off Do Not Disturb");
  stop();
  EXPECT_EQ(Json::parse(read_file(preferences_file()))["appearance"]["theme"], "Nord");
}

TEST_F(OffscreenSettings, RegionFormatsSetWhileAnotherPageIsShownReachTheFile) {
  start("region");
  const std::vector<std::vector<std::string>> invocations{
      {"invoke", "settings.section:region_formats", "currency", R"({"choice":"GBP"})"},
      {"invoke", "settings.section:region_formats", "date", R"j({"choice":"US (03/15/2023)"})j"},
      {"invoke", "settings.section:region_formats", "first-day", R"({"choice":"Sunday"})"},
  };
  for (const auto& args : invocations) {
    Tool done = tool(args);
    EXPECT_EQ(done.status, 0) << args[2] << ": " << done.err;
  }
  const std::string written = read_file(preferences_file());
  Tool unknown = tool({"invoke", "settings.section:region_formats", "time", R"({"choice":"36-hour"})"});
  EXPECT_EQ(unknown.status, 1) << unknown.out;
  EXPECT_EQ(read_file(preferences_file()), written) << "a refused format leaves the file as it was";

  const Json state = stop();
  EXPECT_EQ(state["selected_category"], "network");
  const Json saved = Json::parse(read_file(preferences_file()));
  EXPECT_EQ(saved["locale"], Json::parse(R"({"currency": "GBP", "date_format": "US", "time_format": "H24",
      "measurement": "Metric", "number_style": "DecimalPoint", "first_day_of_week": "Sunday"})"));
  EXPECT_EQ(saved["appearance"]["accent"], "kept for another program");
  EXPECT_EQ(saved["other_program"], Json::parse(R"({"kept": true})"));
}

TEST_F(OffscreenSettings, APageOpenedFromOutsideIsDrawnWithoutInput) {
  start("network");
  stop();
  start("bluetooth");
  Tool open = tool({"invoke", "settings.section:bluetooth", "open"});
  ASSERT_EQ(open.status, 0) << open.err;
  // The extra frame runs at once; give it the moment it needs before the signal.
  std::this_thread::sleep_for(200ms);
  const Json state = stop();
  EXPECT_EQ(state["selected_category"], "bluetooth");
  ASSERT_FALSE(picture("network").empty());
  EXPECT_NE(picture("bluetooth"), picture("network")) << "the picture at exit still shows the Network page";
}

}  // namespace
}  // namespace settings::door_tests
