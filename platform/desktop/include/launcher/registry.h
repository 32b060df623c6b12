#pragma once
// Launcher packages: applications installed as packages of the desktop's launcher, one directory
// per package under "orvo/packages" of the user's data directory and of each system data
// directory, named by its package id and holding the package's manifest (launcher/manifest.h).
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/manifest.h"

namespace launcher::registry {

// "<user data directory>/orvo/packages" ($XDG_DATA_HOME, else ~/.local/share, through
// system_paths so tests can move it); none when the user has no data directory.
std::optional<std::filesystem::path> user_package_dir();

// The package directories in precedence order: the user's, then "orvo/packages" of each system
// data directory ($XDG_DATA_DIRS, else /usr/local/share and /usr/share).
std::vector<std::filesystem::path> package_roots();

struct InstalledPackage {
  // The name of the package's directory.
  std::string id;
  std::filesystem::path dir;
  manifest::Manifest manifest;

  // The manifest's application id, else the package id.
  const std::string& app_id() const { return manifest.app_id.empty() ? id : manifest.app_id; }

  bool operator==(const InstalledPackage&) const = default;
};

// Every package of `roots` whose manifest reads, sorted by package id. A directory whose name is no
// well-formed id is no package; a package whose manifest is missing, unreadable or malformed is
// left out, and then a later root's copy of it counts; else the
// earlier root wins, so a user's install overrides the system's. Unreadable roots are skipped.
std::vector<InstalledPackage> scan(std::span<const std::filesystem::path> roots);

// `scan(package_roots())`, read again only when a package directory or manifest changed (a package
// was installed, removed or updated) since the last call. Safe to call from any thread.
std::vector<InstalledPackage> list_installed();

// How an application is named when only its id is at hand: the display name of the package of
// that package id (else of that application id) among `installed`, when it gives one; otherwise a
// name made from the id: its last dotted part with "-" and "_" as spaces and the first letter
// upper-cased ("org.example.mail-client" gives "Mail client").
std::string display_name_for_package_id(std::string_view id, std::span<const InstalledPackage> installed);
// The same among the installed packages.
std::string display_name_for_package_id(std::string_view id);

}  // namespace launcher::registry
