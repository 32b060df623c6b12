#include "settings_store/shortcut_config.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>

#include "orvo_runtime/system_paths.h"

namespace {

namespace fs = std::filesystem;
namespace hw = settings_store::hardware;

TEST(KeyChord, ParsesToTheCanonicalForm) {
  const struct {
    const char* text;
    const char* want;
  } rows[] = {
      {"Super+L", "Super+L"},
      {"ctrl+super+l", "Super+Ctrl+L"},
      {"SHIFT+alt+Ctrl+Super+x", "Super+Ctrl+Alt+Shift+X"},
      {"Ctrl+Alt+Super+L", "Super+Ctrl+Alt+L"},
      {"Super+Shift+/", "Super+Shift+/"},
      {"Ctrl++", "Ctrl++"},
      {"Super+7", "Super+7"},
      {"Super+pageup", "Super+PageUp"},
      {"Alt+f4", "Alt+F4"},
      {"F24", "F24"},
      {"Escape", "Escape"},
      {"Ctrl+Backspace", "Ctrl+Backspace"},
      {"Left", "Left"},
  };
  for (const auto& row : rows) {
    const auto chord = hw::KeyChord::parse(row.text);
    ASSERT_TRUE(chord) << row.text << ": " << chord.error();
    EXPECT_EQ(chord->display(), row.want) << row.text;
    EXPECT_EQ(hw::KeyChord::parse(chord->display()).value().display(), chord->display()) << row.text;
  }
}

TEST(KeyChord, TakesEveryTextTheRecorderWrites) {
  // The recorder's order is Ctrl, Alt, Shift, Super, with these key names.
  for (const char* key : {"Enter", "Space", "Tab", "Delete", "Left", "Right", "Up", "Down", "Home", "End", "PageUp",
                          "PageDown", "A", "Z", "0", "9", "/", "?", ",", "["}) {
    const std::string text = std::string("Ctrl+Alt+Shift+Super+") + key;
    const auto chord = hw::KeyChord::parse(text);
    ASSERT_TRUE(chord) << text;
    EXPECT_EQ(chord->display(), std::string("Super+Ctrl+Alt+Shift+") + key);
  }
}

TEST(KeyChord, RefusesMalformedChords) {
  for (const char* text : {"", "Super+", "Ctrl+Super+Nope", "Super+F25", "Super+F0", "Super+F01", "Hyper+L",
                           "Ctrl+ctrl+L", "Super+Ctrl+Super+L", "L", "7", "/", "Space", "Ctrl++A", "+Super+L",
                           "Super+é"}) {
    EXPECT_FALSE(hw::KeyChord::parse(text)) << '"' << text << '"';
  }
}

class ConfigFiles : public ::testing::Test {
 protected:
  ConfigFiles() : home_(fs::temp_directory_path() / ("shortcut-config-" + std::to_string(::getpid()))) {
    fs::remove_all(home_);
    fs::create_directories(home_);
    paths_.emplace("/", home_);
  }
  ~ConfigFiles() override {
    paths_.reset();
    fs::remove_all(home_);
  }
  fs::path file(const char* name) const { return home_ / "orvo" / name; }
  void write(const char* name, const std::string& text) const {
    fs::create_directories(home_ / "orvo");
    std::ofstream(file(name)) << text;
  }
  std::string read(const char* name) const {
    std::stringstream text;
    text << std::ifstream(file(name)).rdbuf();
    return text.str();
  }

  fs::path home_;
  std::optional<system_paths::ScopedOverride> paths_;
};

TEST_F(ConfigFiles, DefaultsAreDistinctAndSuperBased) {
  const auto config = hw::ShortcutConfig::load();
  EXPECT_EQ(config.bindings.size(), 17u);
  std::set<std::string> seen;
  for (const auto& [code, chord] : config.bindings) {
    EXPECT_TRUE(chord.super) << int(code);
    EXPECT_TRUE(seen.insert(chord.display()).second) << chord.display();
    EXPECT_EQ(hw::ShortcutConfig::default_for(code), chord);
  }
  EXPECT_EQ(config.bindings.at(0).display(), "Super+Space");
  EXPECT_EQ(config.bindings.at(4).display(), "Super+Shift+/");
  EXPECT_FALSE(hw::ShortcutConfig::default_for(13));
  EXPECT_FALSE(fs::exists(file("shortcuts.json")));
}

TEST_F(ConfigFiles, SetRefusesAChordOfAnotherAction) {
  auto config = hw::ShortcutConfig::defaults();
  EXPECT_FALSE(config.set(2, *hw::KeyChord::parse("Super+Space")));
  EXPECT_EQ(config.bindings.at(2), hw::ShortcutConfig::default_for(2));
  EXPECT_TRUE(config.set(0, *hw::KeyChord::parse("Super+Space")));  // its own chord again
  EXPECT_TRUE(config.set(2, *hw::KeyChord::parse("Super+Ctrl+Alt+L")));
  EXPECT_EQ(config.bindings.at(2).display(), "Super+Ctrl+Alt+L");
}

TEST_F(ConfigFiles, SavesAtomicallyAndReadsBack) {
  auto config = hw::ShortcutConfig::defaults();
  ASSERT_TRUE(config.set(0, *hw::KeyChord::parse("ctrl+super+k")));
  ASSERT_TRUE(config.save());
  EXPECT_NE(read("shortcuts.json").find("\"0\": \"Super+Ctrl+K\""), std::string::npos);
  EXPECT_EQ(hw::ShortcutConfig::load().bindings, config.bindings);

  ::chmod(file("shortcuts.json").c_str(), 0600);
  ASSERT_TRUE(config.set(1, *hw::KeyChord::parse("Super+O")));
  ASSERT_TRUE(config.save());
  struct stat info {};
  ASSERT_EQ(::stat(file("shortcuts.json").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  for (const auto& entry : fs::directory_iterator(home_ / "orvo")) {
    EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
  }
}

TEST_F(ConfigFiles, FileLeavesOutSomeCodes) {
  // A code the file leaves out keeps its default unless the file gave that chord away.
  write("shortcuts.json", R"({"bindings": {"0": "Super+Escape", "13": "Super+Ctrl+M"}})");
  const auto config = hw::ShortcutConfig::load();
  EXPECT_EQ(config.bindings.at(0).display(), "Super+Escape");
  EXPECT_EQ(config.bindings.at(13).display(), "Super+Ctrl+M");
  EXPECT_FALSE(config.bindings.contains(2));  // its default Super+Escape is taken
  EXPECT_EQ(config.bindings.at(1), hw::ShortcutConfig::default_for(1));
}

TEST_F(ConfigFiles, DamagedFilesLoadAsDefaultsAndStayUntouched) {
  for (const char* text : {"{not json", "[]", R"({"bindings": {"0": "L"}})", R"({"bindings": {"x": "Super+L"}})",
                           R"({"bindings": {"0": 3}})", R"({"vim_mode": "yes"})"}) {
    write("shortcuts.json", text);
    write("desktop-controls.json", text);
    EXPECT_EQ(hw::ShortcutConfig::load().bindings, hw::ShortcutConfig::defaults().bindings) << text;
    EXPECT_FALSE(hw::DesktopControlsConfig::load().vim_mode) << text;
    EXPECT_EQ(read("shortcuts.json"), text);
    EXPECT_EQ(read("desktop-controls.json"), text);
  }
}

TEST_F(ConfigFiles, DesktopControlsKeepOtherMembers) {
  EXPECT_FALSE(hw::DesktopControlsConfig::load().vim_mode);
  write("desktop-controls.json", R"({"edge_swipe": {"left": true}, "vim_mode": false})");
  auto config = hw::DesktopControlsConfig::load();
  config.vim_mode = true;
  ASSERT_TRUE(config.save());
  const auto saved = nlohmann::json::parse(read("desktop-controls.json"));
  EXPECT_EQ(saved, nlohmann::json::parse(R"({"vim_mode": true, "edge_swipe": {"left": true}})"));
  EXPECT_TRUE(hw::DesktopControlsConfig::load().vim_mode);
}

}  // namespace
