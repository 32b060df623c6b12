// Launcher packages: how a manifest is read, which copy of a package counts, when the installed
// list is read again, and how an application known only by its id is named.
#include "launcher/registry.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "desktop_entry/desktop_entry.h"
#include "orvo_runtime/system_paths.h"
#include "orvo_testing/scoped_env.h"
#include "orvo_testing/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using launcher::manifest::Entrypoint;
using launcher::manifest::Manifest;
using orvo_testing::ScopedEnv;
using orvo_testing::TempDir;

std::string manifest(std::string_view app_id, std::string_view name, std::string_view gui_bin = "bin/app") {
  return "{\"app_id\":\"" + std::string(app_id) + "\",\"name\":\"" + std::string(name) +
         "\",\"entrypoints\":[{\"kind\":\"app\",\"gui_bin\":\"" + std::string(gui_bin) + "\"}]}";
}

TEST(LauncherManifest, ReadsTheKnownMembersLenientlyAndRefusesWhatIsNoObject) {
  const auto full = launcher::manifest::parse_manifest(R"({
      "app_id": "org.example.Chat", "name": "Chat", "version": 3,
      "entrypoints": [{"kind": "app", "gui_bin": "bin/chat"}, {"kind": "cli", "bin": "bin/c"}, "junk",
                      {"kind": "service", "gui_bin": ""}],
      "file_extensions": ["chatlog", "", 7], "mime_types": ["text/x-chatlog"], "url_schemes": ["chat"]})");
  ASSERT_TRUE(full.has_value()) << full.error();
  EXPECT_EQ(full->app_id, "org.example.Chat");
  EXPECT_EQ(full->name, "Chat");
  EXPECT_EQ(full->entrypoints, (std::vector<Entrypoint>{{"app", "bin/chat"}, {"cli", std::nullopt},
                                                       {"service", std::nullopt}}));
  EXPECT_EQ(full->file_extensions, std::vector<std::string>{"chatlog"});
  EXPECT_EQ(full->mime_types, std::vector<std::string>{"text/x-chatlog"});
  EXPECT_EQ(full->url_schemes, std::vector<std::string>{"chat"});
  EXPECT_TRUE(full->has_gui());
  EXPECT_NE(full->gui_entrypoint("app"), nullptr);
  // An entry point without a graphical program does not count as one.
  EXPECT_EQ(full->gui_entrypoint("service"), nullptr);

  // Members of another type count as empty.
  const auto odd = launcher::manifest::parse_manifest(R"({"app_id": 5, "name": ["x"], "entrypoints": {}})");
  ASSERT_TRUE(odd.has_value());
  EXPECT_EQ(*odd, Manifest{});
  EXPECT_FALSE(odd->has_gui());

  // An application id ends up in file names and configuration lines: a malformed one is refused.
  for (const char* bad : {"", "[1]", "\"text\"", "{\"app_id\": ", "{} trailing", R"({"app_id": "a\nb=c"})",
                          R"({"app_id": "../x"})", R"({"app_id": ".hidden"})"}) {
    EXPECT_FALSE(launcher::manifest::parse_manifest(bad).has_value()) << bad;
  }
}

TEST(LauncherRegistry, TheFirstRootWithAReadableManifestWins) {
  TempDir tree;
  const std::vector<fs::path> roots{tree.root() / "user", tree.root() / "system", tree.root() / "missing"};
  tree.write("user/org.example.Chat/manifest.json", manifest("org.example.Chat", "My Chat"));
  tree.write("system/org.example.Chat/manifest.json", manifest("org.example.Chat", "Chat"));
  // A broken user copy leaves the system's in place.
  tree.write("user/org.example.Paint/manifest.json", "{not json");
  tree.write("system/org.example.Paint/manifest.json", manifest("", "Paint"));
  tree.write("system/org.example.Empty/readme", "no manifest here");
  tree.write("system/.partial/manifest.json", manifest("", "Half installed"));
  tree.write("system/stray-file", "");
  tree.write("system/bad name/manifest.json", manifest("", "Spaced"));
  tree.write("system/big/manifest.json", std::string(launcher::manifest::kMaxManifestBytes + 1, ' '));

  const auto packages = launcher::registry::scan(roots);
  ASSERT_EQ(packages.size(), 2u);
  EXPECT_EQ(packages[0].id, "org.example.Chat");
  EXPECT_EQ(packages[0].manifest.name, "My Chat");
  EXPECT_EQ(packages[0].dir, tree.root() / "user/org.example.Chat");
  EXPECT_EQ(packages[1].id, "org.example.Paint");
  EXPECT_EQ(packages[1].app_id(), "org.example.Paint");
  EXPECT_EQ(packages[1].manifest.name, "Paint");
}

TEST(LauncherRegistry, ListsTheUsersPackagesThenTheSystemsAndReadsAgainAfterAnInstall) {
  TempDir tree;
  const system_paths::ScopedOverride paths(tree.root() / "root", std::nullopt, std::nullopt, tree.root() / "data");
  ScopedEnv dirs("XDG_DATA_DIRS", (tree.root() / "relative-ignored").string() + ":relative:" +
                                      (tree.root() / "system").string());
  EXPECT_EQ(launcher::registry::package_roots(),
            (std::vector<fs::path>{tree.root() / "data/orvo/packages", tree.root() / "relative-ignored/orvo/packages",
                                   tree.root() / "system/orvo/packages"}));

  tree.write("system/orvo/packages/org.example.Chat/manifest.json", manifest("org.example.Chat", "Chat"));
  ASSERT_EQ(launcher::registry::list_installed().size(), 1u);
  tree.write("data/orvo/packages/org.example.Paint/manifest.json", manifest("", "Paint"));
  const auto packages = launcher::registry::list_installed();
  ASSERT_EQ(packages.size(), 2u);
  EXPECT_EQ(packages[1].id, "org.example.Paint");
  fs::remove_all(tree.root() / "system/orvo/packages/org.example.Chat");
  EXPECT_EQ(launcher::registry::list_installed().size(), 1u);
}

TEST(LauncherRegistry, AnIdIsNamedByItsPackageElseByItsLastPart) {
  std::vector<launcher::registry::InstalledPackage> installed{
      {"chat-pkg", "/p/chat-pkg", Manifest{.app_id = "org.example.Chat", .name = "Chat"}},
      {"org.example.Nameless", "/p/n", Manifest{}},
  };
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"chat-pkg", "Chat"},
      {"org.example.Chat", "Chat"},
      {"org.example.Nameless", "Nameless"},
      {"org.example.mail-client", "Mail client"},
      {"org.example.mail_client", "Mail client"},
      {"single", "Single"},
      {"trailing.", "Trailing."},
  };
  for (const auto& [id, name] : cases) EXPECT_EQ(launcher::registry::display_name_for_package_id(id, installed), name) << id;
}

TEST(DesktopEntryAppId, TheSandboxIdOfAnEntryIsRead) {
  const auto sandboxed = desktop_entry::parse(
      "[Desktop Entry]\nType=Application\nName=Chat\nExec=run chat\nX-Flatpak=org.example.Chat\n", "chat");
  ASSERT_TRUE(sandboxed.has_value());
  EXPECT_EQ(sandboxed->app_id, "org.example.Chat");
  const auto plain = desktop_entry::parse("[Desktop Entry]\nType=Application\nName=Chat\nX-Flatpak=\n", "chat");
  ASSERT_TRUE(plain.has_value());
  EXPECT_EQ(plain->app_id, std::nullopt);
}

}  // namespace
