#include "launcher/registry.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <mutex>
#include <set>
#include <system_error>
#include <utility>

#include "desktop_entry/desktop_entry.h"
#include "orvo_runtime/system_paths.h"

namespace launcher::registry {
namespace {

namespace fs = std::filesystem;

// Calls `visit` with the id and directory of every package directory of `root`, in the order the
// file system gives them.
template <class Visit>
void for_each_package_dir(const fs::path& root, Visit visit) {
  std::error_code ec;
  fs::directory_iterator it(root, fs::directory_options::skip_permission_denied, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::error_code entry_ec;
    if (!it->is_directory(entry_ec)) continue;
    // Half-finished installs and anything else that is no package id are not packages.
    std::string id = it->path().filename().string();
    if (!manifest::is_well_formed_id(id)) continue;
    visit(std::move(id), it->path());
  }
}

struct Stamp {
  std::string path;
  fs::file_time_type::rep modified = 0;
  std::uintmax_t size = 0;
  bool operator==(const Stamp&) const = default;
};
using Signature = std::vector<Stamp>;

// Every root, package directory and manifest with its modification time, and each manifest's size:
// an install, a removal or a rewritten manifest changes it, also within one tick of the file
// system's clock when the rewrite changed the size.
Signature signature_of(std::span<const fs::path> roots) {
  Signature signature;
  auto record = [&signature](const fs::path& path, bool sized) {
    std::error_code ec;
    const auto time = fs::last_write_time(path, ec);
    Stamp stamp{path.string(), ec ? 0 : time.time_since_epoch().count(), 0};
    if (sized) {
      const auto size = fs::file_size(path, ec);
      stamp.size = ec ? 0 : size;
    }
    signature.push_back(std::move(stamp));
  };
  for (const auto& root : roots) {
    record(root, false);
    for_each_package_dir(root, [&](std::string, const fs::path& dir) {
      record(dir, false);
      record(dir / manifest::kManifestFile, true);
    });
  }
  return signature;
}

std::string name_from_id(std::string_view id) {
  std::string_view last = id;
  if (const auto dot = id.find_last_of('.'); dot != std::string_view::npos && dot + 1 < id.size()) {
    last = id.substr(dot + 1);
  }
  std::string name(last);
  std::replace(name.begin(), name.end(), '-', ' ');
  std::replace(name.begin(), name.end(), '_', ' ');
  if (!name.empty()) name.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(name.front())));
  return name;
}

}  // namespace

std::optional<fs::path> user_package_dir() {
  auto data = system_paths::user_data_dir();
  if (!data) return std::nullopt;
  return *data / "orvo" / "packages";
}

std::vector<fs::path> package_roots() {
  std::vector<fs::path> roots;
  if (auto user = user_package_dir()) roots.push_back(std::move(*user));
  for (const auto& data : desktop_entry::system_data_dirs()) {
    fs::path root = data / "orvo" / "packages";
    if (std::find(roots.begin(), roots.end(), root) == roots.end()) roots.push_back(std::move(root));
  }
  return roots;
}

std::vector<InstalledPackage> scan(std::span<const fs::path> roots) {
  std::set<std::string, std::less<>> found;
  std::vector<InstalledPackage> packages;
  for (const auto& root : roots) {
    for_each_package_dir(root, [&](std::string id, const fs::path& dir) {
      if (found.contains(id)) return;
      auto manifest = manifest::read_manifest(dir);
      if (!manifest) return;
      found.insert(id);
      packages.push_back(InstalledPackage{std::move(id), dir, std::move(*manifest)});
    });
  }
  std::sort(packages.begin(), packages.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
  return packages;
}

std::vector<InstalledPackage> list_installed() {
  static std::mutex mutex;
  static std::optional<std::pair<Signature, std::vector<InstalledPackage>>> cache;
  const auto roots = package_roots();
  Signature signature = signature_of(roots);
  std::lock_guard lock(mutex);
  if (!cache || cache->first != signature) cache.emplace(std::move(signature), scan(roots));
  return cache->second;
}

std::string display_name_for_package_id(std::string_view id, std::span<const InstalledPackage> installed) {
  const auto named = [](const InstalledPackage& package) { return !package.manifest.name.empty(); };
  for (const auto& package : installed) {
    if (package.id == id && named(package)) return package.manifest.name;
  }
  for (const auto& package : installed) {
    if (package.app_id() == id && named(package)) return package.manifest.name;
  }
  return name_from_id(id);
}

std::string display_name_for_package_id(std::string_view id) { return display_name_for_package_id(id, list_installed()); }

}  // namespace launcher::registry
