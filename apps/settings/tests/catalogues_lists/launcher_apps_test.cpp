// The installed-application lists with launcher packages: which id and name an application is
// listed under, which kinds it opens, and when the on-screen keyboard counts as installed.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "catalogues/queries/assistive_programs.h"
#include "services/installed_apps.h"

namespace settings::panes {
namespace {

using desktop_entry::DesktopEntry;
using launcher::manifest::Entrypoint;
using launcher::manifest::Manifest;
using launcher::registry::InstalledPackage;

InstalledPackage package(std::string id, Manifest manifest) {
  return InstalledPackage{id, "/packages/" + id, std::move(manifest)};
}

Manifest gui_app(std::string app_id, std::string name) {
  return Manifest{.app_id = std::move(app_id), .name = std::move(name), .entrypoints = {{"app", "bin/app"}}};
}

DesktopEntry entry(std::string id, std::string name, std::optional<std::string> app_id = std::nullopt) {
  DesktopEntry entry{std::move(id), std::move(name), {}, false, false};
  entry.app_id = std::move(app_id);
  return entry;
}

TEST(NotificationAppsWithPackages, PackagesThenEntriesThenRulesEachIdOnce) {
  const std::vector<InstalledPackage> packages{
      package("chat", gui_app("org.example.Chat", "Chat")),
      // No name in the manifest: named after its id.
      package("org.example.photo-viewer", gui_app("", "")),
      // Without a graphical entry point a package is no application of its own.
      package("org.example.Daemon", Manifest{.name = "Daemon", .entrypoints = {{"service", std::nullopt}}}),
      package("long", gui_app(std::string(161, 'a'), "Too long")),
  };
  const std::vector<DesktopEntry> entries{
      entry("org.example.Chat", "Chat (desktop entry)"),
      entry("org.example.Daemon", "Daemon settings"),
      entry("com.example.Notes.desktop-id", "Notes", "com.example.Notes"),
      entry("has space", "Invalid"),
  };
  std::map<std::string, settings_store::notification_policy::AppNotificationRule> per_app;
  per_app["org.example.Chat"] = {};
  per_app["org.example.Notes"] = {};     // uninstalled: still listed
  per_app["com.example.Notes"] = {};     // installed under its X-Flatpak id
  per_app["org/example"] = {};
  EXPECT_EQ(notifications::notification_apps(per_app, packages, entries),
            (std::vector<notifications::NotificationApp>{
                {"org.example.Chat", "Chat"},
                {"org.example.Daemon", "Daemon settings"},
                {"com.example.Notes", "Notes"},
                {"org.example.Notes", "Notes"},
                {"org.example.photo-viewer", "Photo viewer"},
            }));
}

TEST(InstalledGuiAppsWithPackages, DeclaredKindsJoinTheDesktopEntrysUnderThePackageName) {
  Manifest editor = gui_app("org.example.Editor", "Editor");
  editor.file_extensions = {".MD", "txt", "bad ext"};
  editor.mime_types = {"text/markdown", "x-scheme-handler/editor", "nonsense"};
  editor.url_schemes = {"Notes", "1bad"};
  const std::vector<InstalledPackage> packages{package("org.example.Editor", std::move(editor))};
  DesktopEntry desktop = entry("org.example.Editor", "Old Editor Name");
  desktop.mime_types = {"text/plain", "text/markdown"};
  const std::vector<DesktopEntry> entries{desktop, entry("org.example.Viewer", "Viewer")};

  const auto apps = personal_apps::installed_gui_apps(packages, entries);
  ASSERT_EQ(apps.size(), 2u);
  EXPECT_EQ(apps[0].id, "org.example.Editor");
  EXPECT_EQ(apps[0].name, "Editor");
  EXPECT_EQ(apps[0].handles, (std::vector<std::string>{"ext:md", "ext:txt", "mime:text/markdown", "mime:text/plain",
                                                       "scheme:editor", "scheme:notes"}));
  EXPECT_EQ(apps[1].id, "org.example.Viewer");
}

TEST(OnScreenKeyboardWithPackages, TheKeyboardPackageNeedsAGraphicalServiceEntryPoint) {
  const std::filesystem::path no_dirs[] = {"/nonexistent/orvo-osk-test"};
  struct Case {
    const char* what;
    InstalledPackage keyboard;
    bool installed;
  };
  const Case cases[] = {
      {"graphical service", package("osk", Manifest{.app_id = "so.orvo.osk", .entrypoints = {{"service", "bin/osk"}}}),
       true},
      {"package id stands for the application id",
       package("so.orvo.osk", Manifest{.entrypoints = {{"cli", std::nullopt}, {"service", "bin/osk"}}}), true},
      {"service without a graphical program",
       package("so.orvo.osk", Manifest{.entrypoints = {{"service", std::nullopt}}}), false},
      {"graphical, but no service", package("so.orvo.osk", Manifest{.entrypoints = {{"app", "bin/osk"}}}), false},
      {"another application", package("org.example.osk", Manifest{.entrypoints = {{"service", "bin/osk"}}}), false},
  };
  for (const Case& c : cases) {
    const std::vector<InstalledPackage> packages{c.keyboard};
    EXPECT_EQ(actions::assistive::on_screen_keyboard_installed(packages, no_dirs), c.installed) << c.what;
  }
}

}  // namespace
}  // namespace settings::panes
