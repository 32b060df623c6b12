#pragma once
// What the user's applications keep on this device, and the clean-up of their caches.
//
// Three roots are measured: the installed launcher packages ("orvo/packages" under the user's data
// directory), the rest of the data directory, and the cache directory. The items of a root are its
// top-level entries; an item's size is the space its whole tree takes on disk (allocated blocks),
// counted without following symbolic links and without entering other file systems. A root that is
// missing or cannot be read makes its category unmeasured.
//
// The clean-up removes exactly the cache entries of a preview the user saw: each is named relative
// to the cache root, never followed through a symbolic link, and removed recursively; a link is
// removed as a link and its target is left alone.
//
// Plain blocking file-system work: callers run it off the interface thread.
#include <cstddef>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace desktop_policy::storage {

enum class StorageCategory : std::uint8_t { InstalledApps = 0, AppData = 1, Cache = 2, SyncedFiles = 3 };

// "Installed apps", "App data", "Cache", "Synced files".
std::string_view category_label(StorageCategory category);

struct StorageRoots {
  std::optional<std::filesystem::path> installed_apps;
  // The data directory; the installed packages inside it are not counted here.
  std::optional<std::filesystem::path> app_data;
  std::optional<std::filesystem::path> cache;

  // The user's roots through `system_paths` (none for a directory the user has not got).
  static StorageRoots discover();
};

struct StorageItem {
  std::string name;  // the entry's name, invalid UTF-8 replaced
  std::uint64_t size = 0;
  StorageCategory category = StorageCategory::AppData;
};

struct StorageSnapshot {
  // Root by root (installed apps, app data, cache), each root's entries in name order.
  std::vector<StorageItem> items;
  std::vector<StorageCategory> unmeasured;

  // Bytes per measured category (a measured root without entries has 0); none for an unmeasured one.
  std::map<StorageCategory, std::uint64_t> totals() const;
  bool is_unmeasured(StorageCategory category) const;
};

StorageSnapshot scan_storage(const StorageRoots& roots);

struct CacheEntry {
  std::filesystem::path path;  // the cache root joined with the entry's name
  std::uint64_t size = 0;
};

struct CleanupPreview {
  std::filesystem::path root;
  std::vector<CacheEntry> entries;  // in name order
  std::uint64_t total = 0;
};

// The cache root's top-level entries; an error text when the root cannot be read.
std::expected<CleanupPreview, std::string> preview_cache_cleanup(const std::filesystem::path& cache_root);

struct CleanupError {
  std::string message;
  const std::string& text() const { return message; }
};

// Removes the preview's entries at `indices`. An entry already gone counts as removed; the first
// other failure stops the clean-up with its text (what was removed before it stays removed).
std::expected<void, CleanupError> apply_cleanup(const CleanupPreview& preview, std::span<const std::size_t> indices);

}  // namespace desktop_policy::storage
