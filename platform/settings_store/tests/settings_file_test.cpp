// Sections of the settings file: each part of the system rewrites its own top-level member and
// leaves everything else as it found it.
#include "settings_store/settings_file.h"

#include <stdlib.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "orvo_runtime/system_paths.h"
#include "orvo_testing/temp_dir.h"

namespace settings_store {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;
using orvo_testing::read_file;

class SettingsSections : public ::testing::Test {
 protected:
  SettingsSections() {
    char pattern[] = "/tmp/orvo-sections-XXXXXX";
    root_ = ::mkdtemp(pattern);
    paths_.emplace("/", root_ / "config");
  }
  ~SettingsSections() override {
    paths_.reset();
    fs::remove_all(root_);
  }

  fs::path file() const { return root_ / "config" / "orvo" / "settings.json"; }
  void write(const std::string& text) {
    fs::create_directories(file().parent_path());
    std::ofstream(file(), std::ios::binary) << text;
  }

  static bool set_flag(Json& section, const char* key, bool value) {
    if (section.contains(key) && section[key] == value) return false;
    section[key] = value;
    return true;
  }

  fs::path root_;
  std::optional<system_paths::ScopedOverride> paths_;
};

TEST_F(SettingsSections, AWrittenSectionKeepsTheOtherSectionsTheirOrderAndForeignKeys) {
  write(R"({"zeta":{"owner":"another program"},"text_assistance":{"check_spelling":true,"x-foreign":1},"alpha":[1,2]})");
  const auto updated = update_section("text_assistance", [](Json& s) { return set_flag(s, "check_spelling", false); });
  ASSERT_TRUE(updated.has_value()) << updated.error();
  EXPECT_EQ(read_file(file()),
            "{\n"
            "  \"zeta\": {\n    \"owner\": \"another program\"\n  },\n"
            "  \"text_assistance\": {\n    \"check_spelling\": false,\n    \"x-foreign\": 1\n  },\n"
            "  \"alpha\": [\n    1,\n    2\n  ]\n"
            "}");
  EXPECT_EQ(load_section("text_assistance"), Json::parse(R"({"check_spelling":false,"x-foreign":1})"));
  EXPECT_EQ(load_section("missing"), std::nullopt);

  // Nothing changed: the file is not written again.
  const auto before = fs::last_write_time(file());
  fs::last_write_time(file(), before - std::chrono::hours(1));
  ASSERT_TRUE(update_section("text_assistance", [](Json& s) { return set_flag(s, "check_spelling", false); }));
  EXPECT_EQ(fs::last_write_time(file()), before - std::chrono::hours(1));
}

TEST_F(SettingsSections, AMissingFileIsCreatedWithTheSectionAlone) {
  EXPECT_EQ(load_section("text_assistance"), std::nullopt);
  ASSERT_TRUE(update_section("text_assistance", [](Json& s) { return set_flag(s, "auto_correct", false); }));
  EXPECT_EQ(load_section("text_assistance"), Json::parse(R"({"auto_correct":false})"));
  EXPECT_EQ(fs::status(file()).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(SettingsSections, AFileThatCannotBeReadOrIsNotAnObjectIsNeverRewritten) {
  struct Case {
    const char* name;
    std::optional<std::string> text;  // none: a directory stands where the file should be
    const char* error_part;
  };
  const Case cases[] = {
      {"directory", std::nullopt, "Is a directory"},
      {"not json", "version = 1\n", "could not read"},
      {"an array", "[1, 2]", "not an object"},
      {"not utf-8", "{\"a\": \"\xff\"}", "not UTF-8"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(file());
    if (c.text) {
      write(*c.text);
    } else {
      fs::create_directories(file());
    }
    bool asked = false;
    const auto updated = update_section("text_assistance", [&](Json& s) {
      asked = true;
      return set_flag(s, "check_spelling", false);
    });
    ASSERT_FALSE(updated.has_value());
    EXPECT_NE(updated.error().find(c.error_part), std::string::npos) << updated.error();
    EXPECT_FALSE(asked);
    if (c.text) {
      EXPECT_EQ(read_file(file()), *c.text);
    } else {
      EXPECT_TRUE(fs::is_directory(file()));
    }
    EXPECT_EQ(load_section("text_assistance"), std::nullopt);
  }
}

}  // namespace
}  // namespace settings_store
