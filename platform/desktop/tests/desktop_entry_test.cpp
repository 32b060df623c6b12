#include "desktop_entry/desktop_entry.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "orvo_testing/scoped_env.h"
#include "orvo_testing/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using desktop_entry::DesktopEntry;
using orvo_testing::ScopedEnv;
using orvo_testing::TempDir;

std::string app(std::string_view name, std::string_view extra = "") {
  return "[Desktop Entry]\nType=Application\nName=" + std::string(name) + "\nExec=true\n" + std::string(extra);
}

TEST(DesktopEntryParse, ReadsTheApplicationGroupOnly) {
  const auto entry = desktop_entry::parse(
      "# comment\r\n"
      "[Desktop Entry]\r\n"
      "Type = Application\r\n"
      "Name[de]=Textbearbeitung\r\n"
      "Name=Text\\sEditor\r\n"
      "Name=Second name\r\n"
      "MimeType=text/plain;x-scheme-handler/ed\\;it;;text/x-c;\r\n"
      "NoDisplay=true\r\n"
      "[Desktop Action new]\r\n"
      "Name=New window\r\n"
      "Hidden=true\r\n",
      "org.example.Editor");
  ASSERT_TRUE(entry.has_value());
  EXPECT_EQ(entry->id, "org.example.Editor");
  EXPECT_EQ(entry->name, "Text Editor");
  EXPECT_EQ(entry->mime_types, (std::vector<std::string>{"text/plain", "x-scheme-handler/ed;it", "text/x-c"}));
  EXPECT_TRUE(entry->no_display);
  EXPECT_FALSE(entry->hidden);  // the key sat in another group
}

TEST(DesktopEntryParse, RefusesWhatIsNotANamedApplication) {
  const char* cases[] = {
      "",
      "[Desktop Entry]\nType=Link\nName=Docs\n",
      "[Desktop Entry]\nType=Application\n",
      "[Desktop Entry]\nType=Application\nName=\n",
      "[Desktop Entry]\nType=Application\nName[fr]=Seulement\n",
      "[Other]\nType=Application\nName=Elsewhere\n",
      "Type=Application\nName=No group\n",
  };
  for (const char* text : cases) EXPECT_FALSE(desktop_entry::parse(text, "x").has_value()) << text;
}

TEST(DesktopEntryFileId, TurnsSubfoldersIntoDashes) {
  EXPECT_EQ(desktop_entry::file_id("org.example.App.desktop"), "org.example.App");
  EXPECT_EQ(desktop_entry::file_id("kde/konsole.desktop"), "kde-konsole");
  EXPECT_EQ(desktop_entry::file_id(".desktop"), std::nullopt);
  EXPECT_EQ(desktop_entry::file_id("readme.txt"), std::nullopt);
}

TEST(DesktopEntryScan, EarlierDirectoryWinsAndHiddenMasks) {
  TempDir tree;
  const auto user = tree.root() / "user" / "applications";
  const auto system = tree.root() / "system" / "applications";
  tree.write("system/applications/viewer.desktop", app("System Viewer", "MimeType=image/png;\n"));
  tree.write("user/applications/viewer.desktop", app("My Viewer"));
  tree.write("system/applications/removed.desktop", app("Removed"));
  tree.write("user/applications/removed.desktop", "[Desktop Entry]\nType=Application\nName=Removed\nHidden=true\n");
  tree.write("system/applications/helper.desktop", app("Helper", "NoDisplay=true\n"));
  tree.write("system/applications/vendor/tool.desktop", app("Tool"));
  tree.write("system/applications/notes.txt", app("Not a desktop file"));
  tree.write("system/applications/broken.desktop", "[Desktop Entry]\nName=No type\n");

  const auto entries = desktop_entry::scan({user, tree.root() / "missing", system});
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].id, "helper");
  EXPECT_TRUE(entries[0].no_display);
  EXPECT_EQ(entries[1].id, "vendor-tool");
  EXPECT_EQ(entries[2].id, "viewer");
  EXPECT_EQ(entries[2].name, "My Viewer");
  EXPECT_TRUE(entries[2].mime_types.empty());
}

TEST(DesktopEntryScan, SkipsOversizedFiles) {
  TempDir tree;
  tree.write("applications/big.desktop", app("Big", std::string(desktop_entry::kMaxDesktopFileBytes, '#')));
  tree.write("applications/small.desktop", app("Small"));
  const auto entries = desktop_entry::scan({tree.root() / "applications"});
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].id, "small");
}

TEST(DesktopEntryDirs, FollowTheXdgVariables) {
  {
    ScopedEnv home("XDG_DATA_HOME", "/home/u/data");
    ScopedEnv dirs("XDG_DATA_DIRS", "/opt/share:relative/share:/usr/share:/opt/share");
    EXPECT_EQ(desktop_entry::application_dirs(),
              (std::vector<fs::path>{"/home/u/data/applications", "/opt/share/applications",
                                     "/usr/share/applications"}));
  }
  {
    ScopedEnv home("XDG_DATA_HOME", "relative");
    ScopedEnv user_home("HOME", "/home/v");
    ScopedEnv dirs("XDG_DATA_DIRS", "");
    EXPECT_EQ(desktop_entry::application_dirs(),
              (std::vector<fs::path>{"/home/v/.local/share/applications", "/usr/local/share/applications",
                                     "/usr/share/applications"}));
  }
}

TEST(DesktopEntryCachedScan, ReadsAgainAfterAnInstall) {
  TempDir tree;
  ScopedEnv home("XDG_DATA_HOME", (tree.root() / "home").string());
  ScopedEnv dirs("XDG_DATA_DIRS", (tree.root() / "system").string());
  tree.write("system/applications/first.desktop", app("First"));
  ASSERT_EQ(desktop_entry::cached_scan().size(), 1u);

  // A later install writes a new file, and the next scan sees it.
  tree.write("system/applications/second.desktop", app("Second"));
  const auto entries = desktop_entry::cached_scan();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1].id, "second");

  fs::remove(tree.root() / "system/applications/first.desktop");
  EXPECT_EQ(desktop_entry::cached_scan().size(), 1u);
}

}  // namespace
