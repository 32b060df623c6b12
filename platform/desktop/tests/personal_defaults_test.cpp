#include "desktop_policy/personal_defaults.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

namespace fs = std::filesystem;
using desktop_policy::defaults::AppCandidate;
using desktop_policy::defaults::DefaultAppResolver;
using desktop_policy::defaults::DefaultsPaths;
using desktop_policy::defaults::PersonalDefaults;

class PersonalDefaultsTest : public ::testing::Test {
 protected:
  PersonalDefaultsTest() {
    char pattern[] = "/tmp/orvo-defaults-XXXXXX";
    root_ = ::mkdtemp(pattern);
    paths_ = DefaultsPaths{root_ / "orvo" / "personal-defaults.json", root_ / "mimeapps.list"};
  }
  ~PersonalDefaultsTest() override { fs::remove_all(root_); }

  static std::string read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  static void write(const fs::path& path, std::string_view text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }

  const std::vector<AppCandidate> candidates_{
      {"org.example.Editor", "Editor", {"ext:txt", "mime:text/plain"}},
      {"org.example.Pad", "Pad", {"mime:text/plain"}},
      {"org.example.Browser", "Browser", {"mime:text/html", "scheme:https"}},
  };
  fs::path root_;
  DefaultsPaths paths_;
};

TEST_F(PersonalDefaultsTest, RoundTripsAndWritesMimeTypesAndSchemesToMimeapps) {
  auto defaults = PersonalDefaults::load_at(paths_.store);
  ASSERT_TRUE(defaults.load_error().empty());
  EXPECT_TRUE(defaults.entries().empty());
  ASSERT_TRUE(defaults.set("mime:text/plain", "org.example.Pad", candidates_));
  ASSERT_TRUE(defaults.set("scheme:https", "org.example.Browser", candidates_));
  ASSERT_TRUE(defaults.set("ext:txt", "org.example.Editor", candidates_));
  ASSERT_TRUE(defaults.save_at(paths_));

  const auto loaded = PersonalDefaults::load_at(paths_.store);
  EXPECT_EQ(loaded.entries(), defaults.entries());
  EXPECT_EQ(loaded.get("mime:text/plain"), "org.example.Pad");
  EXPECT_EQ(read(paths_.mimeapps),
            "[Default Applications]\n"
            "text/plain=org.example.Pad.desktop\n"
            "x-scheme-handler/https=org.example.Browser.desktop\n");
  EXPECT_EQ(fs::status(paths_.store).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(PersonalDefaultsTest, SetRefusesAnApplicationThatDoesNotOpenTheKind) {
  auto defaults = PersonalDefaults::load_at(paths_.store);
  for (const auto& [kind, id] : std::vector<std::pair<std::string, std::string>>{
           {"mime:text/html", "org.example.Pad"}, {"mime:text/plain", "org.example.Gone"}}) {
    SCOPED_TRACE(kind + " " + id);
    EXPECT_FALSE(defaults.set(kind, id, candidates_));
  }
  EXPECT_TRUE(defaults.entries().empty());
}

TEST_F(PersonalDefaultsTest, SaveKeepsForeignGroupsCommentsLinesAndStoreMembers) {
  write(paths_.mimeapps,
        "# managed by hand\n"
        "[Added Associations]\n"
        "text/plain=org.example.Pad.desktop;\n"
        "\n"
        "[Default Applications]\n"
        "image/png=org.example.Viewer.desktop\n"
        "text/plain=old.desktop\n"
        "# keep me\n"
        "\n"
        "[Removed Associations]\n"
        "text/html=org.example.Pad.desktop;\n");
  write(paths_.store, R"({"mime:image/png": "org.example.Viewer", "note": 3})");
  auto defaults = PersonalDefaults::load_at(paths_.store);
  ASSERT_TRUE(defaults.set("mime:text/plain", "org.example.Editor", candidates_));
  ASSERT_TRUE(defaults.set("scheme:https", "org.example.Browser", candidates_));
  ASSERT_TRUE(defaults.save_at(paths_));

  EXPECT_EQ(read(paths_.mimeapps),
            "# managed by hand\n"
            "[Added Associations]\n"
            "text/plain=org.example.Pad.desktop;\n"
            "\n"
            "[Default Applications]\n"
            "image/png=org.example.Viewer.desktop\n"
            "text/plain=org.example.Editor.desktop\n"
            "# keep me\n"
            "x-scheme-handler/https=org.example.Browser.desktop\n"
            "\n"
            "[Removed Associations]\n"
            "text/html=org.example.Pad.desktop;\n");
  const std::string store = read(paths_.store);
  EXPECT_NE(store.find(R"("note": 3)"), std::string::npos) << store;
  EXPECT_NE(store.find(R"("mime:image/png": "org.example.Viewer")"), std::string::npos) << store;
}

TEST_F(PersonalDefaultsTest, SaveOnlyWritesKindsChangedSinceTheLoad) {
  auto first = PersonalDefaults::load_at(paths_.store);
  auto second = PersonalDefaults::load_at(paths_.store);
  ASSERT_TRUE(first.set("mime:text/plain", "org.example.Pad", candidates_));
  ASSERT_TRUE(first.save_at(paths_));
  ASSERT_TRUE(second.set("scheme:https", "org.example.Browser", candidates_));
  ASSERT_TRUE(second.save_at(paths_));
  const auto loaded = PersonalDefaults::load_at(paths_.store);
  EXPECT_EQ(loaded.get("mime:text/plain"), "org.example.Pad");
  EXPECT_EQ(loaded.get("scheme:https"), "org.example.Browser");
}

TEST_F(PersonalDefaultsTest, UnreadableFilesStopTheSaveAndWriteNothing) {
  struct Case {
    const char* name;
    bool store_is_directory;
    bool store_malformed;
    bool mimeapps_is_directory;
  };
  for (const Case& c : {Case{"store is a directory", true, false, false}, Case{"store malformed", false, true, false},
                        Case{"mimeapps is a directory", false, false, true}}) {
    SCOPED_TRACE(c.name);
    fs::remove_all(root_);
    fs::create_directories(root_ / "orvo");
    if (c.store_is_directory) fs::create_directories(paths_.store);
    if (c.store_malformed) write(paths_.store, "{not json");
    if (c.mimeapps_is_directory) fs::create_directories(paths_.mimeapps);
    auto defaults = PersonalDefaults::load_at(root_ / "loaded-elsewhere.json");
    ASSERT_TRUE(defaults.set("mime:text/plain", "org.example.Pad", candidates_));
    EXPECT_FALSE(defaults.save_at(paths_));
    if (c.store_malformed) {
      EXPECT_EQ(read(paths_.store), "{not json");
    }
    if (c.mimeapps_is_directory) {
      EXPECT_FALSE(fs::exists(paths_.store));
    } else {
      EXPECT_FALSE(fs::exists(paths_.mimeapps));
    }
  }
}

TEST_F(PersonalDefaultsTest, AStoreThatCouldNotBeLoadedRefusesToSave) {
  write(paths_.store, "[1, 2]");
  auto defaults = PersonalDefaults::load_at(paths_.store);
  EXPECT_FALSE(defaults.load_error().empty());
  ASSERT_TRUE(defaults.set("mime:text/plain", "org.example.Pad", candidates_));
  EXPECT_FALSE(defaults.save_at(paths_));
  EXPECT_EQ(read(paths_.store), "[1, 2]");
}

TEST_F(PersonalDefaultsTest, ResolverAnswersOnlyAnOfferedPersonalDefault) {
  write(paths_.store,
        R"({"mime:text/plain": "org.example.Gone", "mime:text/html": "org.example.Pad", "scheme:https": "org.example.Browser"})");
  const auto defaults = PersonalDefaults::load_at(paths_.store);
  EXPECT_EQ(DefaultAppResolver::resolve("scheme:https", candidates_, defaults), "org.example.Browser");
  EXPECT_EQ(DefaultAppResolver::resolve("mime:text/plain", candidates_, defaults), std::nullopt);
  EXPECT_EQ(DefaultAppResolver::resolve("mime:text/html", candidates_, defaults), std::nullopt);
  EXPECT_EQ(DefaultAppResolver::resolve("ext:txt", candidates_, defaults), std::nullopt);
}

}  // namespace
