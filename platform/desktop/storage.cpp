#include "desktop_policy/storage.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

#include "launcher/registry.h"
#include "orvo_runtime/system_paths.h"
#include "orvo_runtime/text.h"

namespace desktop_policy::storage {
namespace {

constexpr StorageCategory kLocalCategories[] = {StorageCategory::InstalledApps, StorageCategory::AppData,
                                                StorageCategory::Cache};

std::string error_text(int error) { return std::error_code(error, std::system_category()).message(); }

// A file descriptor closed when dropped.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd& operator=(Fd&&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }

 private:
  int fd_;
};

// A directory stream over a descriptor it owns.
class Dir {
 public:
  explicit Dir(int fd) : dir_(fd >= 0 ? ::fdopendir(fd) : nullptr) {
    if (!dir_ && fd >= 0) ::close(fd);
  }
  Dir(const Dir&) = delete;
  Dir& operator=(const Dir&) = delete;
  ~Dir() {
    if (dir_) ::closedir(dir_);
  }
  explicit operator bool() const { return dir_ != nullptr; }
  int fd() const { return ::dirfd(dir_); }
  // The next entry's name other than "." and ".."; null at the end (or on a read error).
  const char* next() {
    while (dirent* entry = ::readdir(dir_)) {
      const char* name = entry->d_name;
      if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
      return name;
    }
    return nullptr;
  }

 private:
  DIR* dir_;
};

int open_directory_at(int parent, const char* name) {
  return ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

struct FileId {
  dev_t dev = 0;
  ino_t ino = 0;
  bool operator==(const FileId&) const = default;
};

// What the walk leaves out: another root's directory lying inside this one.
struct Walk {
  dev_t device = 0;
  std::optional<FileId> skip;
};

// The space taken by the entry `name` of the directory `parent` and, for a directory on the same
// file system, everything under it. Parts that cannot be read are not counted.
std::uint64_t entry_size(const Walk& walk, int parent, const char* name) {
  struct stat st {};
  if (::fstatat(parent, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return 0;
  if (S_ISDIR(st.st_mode) && walk.skip && *walk.skip == FileId{st.st_dev, st.st_ino}) return 0;
  std::uint64_t size = static_cast<std::uint64_t>(st.st_blocks) * 512;
  if (!S_ISDIR(st.st_mode) || st.st_dev != walk.device) return size;
  Dir dir(open_directory_at(parent, name));
  if (!dir) return size;
  while (const char* child = dir.next()) size += entry_size(walk, dir.fd(), child);
  return size;
}

std::optional<FileId> directory_id(const std::optional<std::filesystem::path>& path) {
  struct stat st {};
  if (!path || ::stat(path->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
  return FileId{st.st_dev, st.st_ino};
}

struct Entry {
  std::string name;  // raw bytes
  std::uint64_t size = 0;
};

// The root's top-level entries in name order; none when the root cannot be opened.
std::expected<std::vector<Entry>, std::string> root_entries(const std::filesystem::path& root,
                                                            std::optional<FileId> skip) {
  Dir dir(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir) return std::unexpected(root.native() + ": " + error_text(errno));
  struct stat st {};
  if (::fstat(dir.fd(), &st) != 0) return std::unexpected(root.native() + ": " + error_text(errno));
  const Walk walk{st.st_dev, skip};
  std::vector<Entry> entries;
  while (const char* name = dir.next()) {
    std::uint64_t size = entry_size(walk, dir.fd(), name);
    // The skipped root itself is not an item of this one.
    struct stat entry {};
    if (skip && ::fstatat(dir.fd(), name, &entry, AT_SYMLINK_NOFOLLOW) == 0 &&
        FileId{entry.st_dev, entry.st_ino} == *skip) {
      continue;
    }
    entries.push_back({name, size});
  }
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
  return entries;
}

// A name that stays inside the directory it is looked up in.
bool is_single_component(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

std::string shown(const std::filesystem::path& path) { return orvo_runtime::text::decode_utf8_lossy(path.native()); }

// Removes `name` in `parent` and, for a real directory, everything in it. Nothing is followed: a
// symbolic link (also one put in place of a directory meanwhile) is unlinked itself.
std::expected<void, std::string> remove_tree(dev_t device, int parent, const char* name,
                                             const std::filesystem::path& shown_path) {
  if (::unlinkat(parent, name, 0) == 0) return {};
  int error = errno;
  if (error == ENOENT) return {};
  if (error != EISDIR && error != EPERM) return std::unexpected(shown(shown_path) + ": " + error_text(error));
  {
    Dir dir(open_directory_at(parent, name));
    if (!dir) {
      error = errno;
      if (error == ENOENT) return {};
      // Replaced by something that is not a directory after the first attempt: try it once more.
      if ((error == ENOTDIR || error == ELOOP) && ::unlinkat(parent, name, 0) == 0) return {};
      return std::unexpected(shown(shown_path) + ": " + error_text(error));
    }
    // Another file system mounted inside the cache is left alone.
    struct stat st {};
    if (::fstat(dir.fd(), &st) != 0) return std::unexpected(shown(shown_path) + ": " + error_text(errno));
    if (st.st_dev != device) return std::unexpected(shown(shown_path) + ": " + error_text(EXDEV));
    std::vector<std::string> children;
    while (const char* child = dir.next()) children.emplace_back(child);
    for (const auto& child : children) {
      auto removed = remove_tree(device, dir.fd(), child.c_str(), shown_path / child);
      if (!removed) return removed;
    }
  }
  if (::unlinkat(parent, name, AT_REMOVEDIR) != 0 && errno != ENOENT) {
    return std::unexpected(shown(shown_path) + ": " + error_text(errno));
  }
  return {};
}

}  // namespace

std::string_view category_label(StorageCategory category) {
  switch (category) {
    case StorageCategory::InstalledApps: return "Installed apps";
    case StorageCategory::AppData: return "App data";
    case StorageCategory::Cache: return "Cache";
    case StorageCategory::SyncedFiles: return "Synced files";
  }
  return "Storage";
}

StorageRoots StorageRoots::discover() {
  StorageRoots roots;
  roots.installed_apps = launcher::registry::user_package_dir();
  roots.app_data = system_paths::user_data_dir();
  roots.cache = system_paths::user_cache_dir();
  return roots;
}

std::map<StorageCategory, std::uint64_t> StorageSnapshot::totals() const {
  std::map<StorageCategory, std::uint64_t> totals;
  for (const auto category : kLocalCategories) {
    if (!is_unmeasured(category)) totals[category] = 0;
  }
  for (const auto& item : items) totals[item.category] += item.size;
  return totals;
}

bool StorageSnapshot::is_unmeasured(StorageCategory category) const {
  return std::find(unmeasured.begin(), unmeasured.end(), category) != unmeasured.end();
}

StorageSnapshot scan_storage(const StorageRoots& roots) {
  StorageSnapshot snapshot;
  const auto packages = directory_id(roots.installed_apps);
  const std::pair<const std::optional<std::filesystem::path>*, StorageCategory> measured[] = {
      {&roots.installed_apps, StorageCategory::InstalledApps},
      {&roots.app_data, StorageCategory::AppData},
      {&roots.cache, StorageCategory::Cache},
  };
  for (const auto& [root, category] : measured) {
    std::expected<std::vector<Entry>, std::string> entries = std::unexpected(std::string());
    // The data directory holds the packages directory; it is counted as installed apps only.
    if (*root) entries = root_entries(**root, category == StorageCategory::AppData ? packages : std::nullopt);
    if (!entries) {
      snapshot.unmeasured.push_back(category);
      continue;
    }
    for (auto& entry : *entries) {
      snapshot.items.push_back({orvo_runtime::text::decode_utf8_lossy(entry.name), entry.size, category});
    }
  }
  return snapshot;
}

std::expected<CleanupPreview, std::string> preview_cache_cleanup(const std::filesystem::path& cache_root) {
  auto entries = root_entries(cache_root, std::nullopt);
  if (!entries) return std::unexpected(std::move(entries.error()));
  CleanupPreview preview;
  preview.root = cache_root;
  for (auto& entry : *entries) {
    preview.total += entry.size;
    preview.entries.push_back({cache_root / entry.name, entry.size});
  }
  return preview;
}

std::expected<void, CleanupError> apply_cleanup(const CleanupPreview& preview, std::span<const std::size_t> indices) {
  // Every entry is checked before anything is removed.
  std::vector<std::string> names;
  for (const std::size_t index : indices) {
    if (index >= preview.entries.size()) {
      return std::unexpected(CleanupError{"cache entry " + std::to_string(index) + " is not in the preview"});
    }
    const auto& path = preview.entries[index].path;
    const std::string name = path.filename().native();
    if (!is_single_component(name) || path.parent_path() != preview.root) {
      return std::unexpected(CleanupError{shown(path) + ": not an entry of the cache directory"});
    }
    names.push_back(name);
  }
  Fd root(::open(preview.root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  struct stat st {};
  if (!root || ::fstat(root.get(), &st) != 0) {
    return std::unexpected(CleanupError{shown(preview.root) + ": " + error_text(errno)});
  }
  for (const auto& name : names) {
    auto removed = remove_tree(st.st_dev, root.get(), name.c_str(), preview.root / name);
    if (!removed) return std::unexpected(CleanupError{std::move(removed.error())});
  }
  return {};
}

}  // namespace desktop_policy::storage
