#include "desktop_entry/desktop_entry.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <set>
#include <system_error>
#include <utility>

#include "orvo_runtime/system_paths.h"

namespace desktop_entry {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kGroup = "[Desktop Entry]";
constexpr std::string_view kSuffix = ".desktop";
// Applications sit directly in "applications" or a vendor folder or two below it.
constexpr int kMaxDepth = 3;

std::string_view trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// The escapes of string values: \s \n \t \r \\ (and \; inside lists). An unknown escape keeps
// both characters.
std::string unescape(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    const char next = value[++i];
    switch (next) {
      case 's': out += ' '; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case '\\': out += '\\'; break;
      case ';': out += ';'; break;
      default:
        out += '\\';
        out += next;
    }
  }
  return out;
}

// A ";"-separated list; "\;" is a semicolon inside an item.
std::vector<std::string> split_list(std::string_view value) {
  std::vector<std::string> items;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= value.size(); ++i) {
    if (i < value.size() && value[i] == '\\') {
      ++i;
      continue;
    }
    if (i == value.size() || value[i] == ';') {
      std::string item = unescape(trim(value.substr(start, i - start)));
      if (!item.empty()) items.push_back(std::move(item));
      start = i + 1;
    }
  }
  return items;
}

struct Fields {
  std::optional<std::string> type;
  std::optional<std::string> name;
  std::optional<std::string> mime_types;
  std::optional<std::string> no_display;
  std::optional<std::string> hidden;
  std::optional<std::string> exec;
  std::optional<std::string> flatpak;

  std::optional<std::string>* slot(std::string_view key) {
    if (key == "Type") return &type;
    if (key == "Name") return &name;
    if (key == "MimeType") return &mime_types;
    if (key == "NoDisplay") return &no_display;
    if (key == "Hidden") return &hidden;
    if (key == "Exec") return &exec;
    if (key == "X-Flatpak") return &flatpak;
    return nullptr;
  }
};

bool is_true(const std::optional<std::string>& value) { return value && trim(*value) == "true"; }

std::optional<std::string> read_capped(const fs::path& path) {
  std::error_code ec;
  const auto size = fs::file_size(path, ec);
  if (ec || size > kMaxDesktopFileBytes) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text;
  text.resize(size);
  in.read(text.data(), static_cast<std::streamsize>(size));
  text.resize(static_cast<std::size_t>(in.gcount()));
  return text;
}

std::optional<fs::path> absolute_env(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  fs::path path(value);
  if (!path.is_absolute()) return std::nullopt;
  return path;
}

// Walks one applications directory: every regular file ending in ".desktop", with its path
// relative to the directory, and every directory met.
template <class OnFile, class OnDir>
void walk(const fs::path& dir, OnFile on_file, OnDir on_dir) {
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) return;
  on_dir(dir);
  fs::recursive_directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec);
  for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    std::error_code entry_ec;
    if (it->is_directory(entry_ec)) {
      if (it.depth() + 1 >= kMaxDepth) {
        it.disable_recursion_pending();
      } else {
        on_dir(it->path());
      }
      continue;
    }
    if (it->path().extension() != kSuffix || !it->is_regular_file(entry_ec)) continue;
    on_file(it->path(), it->path().lexically_relative(dir));
  }
}

using Signature = std::vector<std::pair<std::string, fs::file_time_type::rep>>;

// Every directory and desktop file with its modification time: an install, a removal or an edit in
// place changes it, even where the file system keeps coarse times for directories.
Signature signature_of(const std::vector<fs::path>& dirs) {
  Signature signature;
  auto record = [&signature](const fs::path& path) {
    std::error_code ec;
    const auto time = fs::last_write_time(path, ec);
    signature.emplace_back(path.string(), ec ? 0 : time.time_since_epoch().count());
  };
  for (const auto& dir : dirs) {
    walk(
        dir, [&record](const fs::path& path, const fs::path&) { record(path); }, record);
  }
  return signature;
}

}  // namespace

std::optional<DesktopEntry> parse(std::string_view text, std::string id) {
  Fields fields;
  bool in_group = false;
  bool group_seen = false;
  std::size_t pos = 0;
  while (pos < text.size()) {
    auto end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = trim(line);
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      // Only the first [Desktop Entry] group counts; actions and other groups are not read.
      in_group = !group_seen && line == kGroup;
      group_seen = group_seen || in_group;
      continue;
    }
    if (!in_group) continue;
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view key = trim(line.substr(0, eq));
    auto* slot = fields.slot(key);
    if (slot == nullptr || slot->has_value()) continue;
    *slot = std::string(trim(line.substr(eq + 1)));
  }
  if (!fields.type || *fields.type != "Application" || !fields.name) return std::nullopt;
  DesktopEntry entry;
  entry.id = std::move(id);
  entry.name = unescape(*fields.name);
  if (entry.name.empty()) return std::nullopt;
  if (fields.mime_types) entry.mime_types = split_list(*fields.mime_types);
  entry.no_display = is_true(fields.no_display);
  entry.hidden = is_true(fields.hidden);
  if (fields.exec) entry.exec = unescape(*fields.exec);
  if (fields.flatpak) {
    if (std::string app_id = unescape(*fields.flatpak); !app_id.empty()) entry.app_id = std::move(app_id);
  }
  return entry;
}

std::optional<std::vector<std::string>> exec_arguments(std::string_view exec) {
  std::vector<std::string> arguments;
  std::string current;
  bool in_argument = false;
  bool quoted = false;
  // A field code standing alone as an argument removes the argument; inside one it removes itself.
  bool only_field_codes = true;
  auto finish = [&] {
    if (in_argument && !(only_field_codes && current.empty())) arguments.push_back(current);
    current.clear();
    in_argument = false;
    only_field_codes = true;
  };
  for (std::size_t i = 0; i < exec.size(); ++i) {
    const char c = exec[i];
    if (quoted) {
      if (c == '"') {
        quoted = false;
      } else if (c == '\\' && i + 1 < exec.size() && std::string_view("\"`$\\").find(exec[i + 1]) != std::string_view::npos) {
        current += exec[++i];
      } else {
        current += c;
      }
      continue;
    }
    if (c == ' ' || c == '\t') {
      finish();
      continue;
    }
    in_argument = true;
    if (c == '"') {
      quoted = true;
      only_field_codes = false;
    } else if (c == '%' && i + 1 < exec.size()) {
      const char code = exec[++i];
      if (code == '%') {
        current += '%';
        only_field_codes = false;
      }
    } else {
      current += c;
      only_field_codes = false;
    }
  }
  if (quoted) return std::nullopt;
  finish();
  if (arguments.empty() || arguments.front().empty()) return std::nullopt;
  return arguments;
}

std::optional<DesktopEntry> find(std::string_view id, const std::vector<fs::path>& dirs) {
  for (const auto& dir : dirs) {
    const fs::path path = dir / (std::string(id) + std::string(kSuffix));
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) continue;
    auto text = read_capped(path);
    if (!text) return std::nullopt;
    auto entry = parse(*text, std::string(id));
    if (!entry || entry->hidden) return std::nullopt;
    return entry;
  }
  return std::nullopt;
}

std::optional<std::string> file_id(const fs::path& relative) {
  std::string text = relative.generic_string();
  if (text.size() <= kSuffix.size() || !text.ends_with(kSuffix) || relative.is_absolute()) return std::nullopt;
  text.resize(text.size() - kSuffix.size());
  std::replace(text.begin(), text.end(), '/', '-');
  return text;
}

std::vector<fs::path> system_data_dirs() {
  std::vector<fs::path> dirs;
  if (const char* value = std::getenv("XDG_DATA_DIRS"); value != nullptr) {
    std::string_view rest(value);
    while (!rest.empty()) {
      const auto colon = rest.find(':');
      fs::path dir(std::string(rest.substr(0, colon)));
      if (dir.is_absolute() && std::find(dirs.begin(), dirs.end(), dir) == dirs.end()) dirs.push_back(std::move(dir));
      rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
    }
  }
  if (dirs.empty()) {
    dirs.push_back(system_paths::system_path("/usr/local/share"));
    dirs.push_back(system_paths::usr_share());
  }
  return dirs;
}

std::vector<fs::path> application_dirs() {
  std::vector<fs::path> dirs;
  auto add = [&dirs](fs::path base) {
    base /= "applications";
    if (std::find(dirs.begin(), dirs.end(), base) == dirs.end()) dirs.push_back(std::move(base));
  };
  if (auto data_home = absolute_env("XDG_DATA_HOME")) {
    add(*data_home);
  } else if (auto home = absolute_env("HOME")) {
    add(*home / ".local" / "share");
  }
  for (auto& dir : system_data_dirs()) add(std::move(dir));
  return dirs;
}

std::vector<DesktopEntry> scan(const std::vector<fs::path>& dirs) {
  std::set<std::string, std::less<>> seen;
  std::vector<DesktopEntry> entries;
  for (const auto& dir : dirs) {
    walk(
        dir,
        [&](const fs::path& path, const fs::path& relative) {
          auto id = file_id(relative);
          // The first directory that holds an id decides for it, even when its file is broken or
          // hidden: that is how a user's copy masks the system's.
          if (!id || !seen.insert(*id).second) return;
          auto text = read_capped(path);
          if (!text) return;
          auto entry = parse(*text, std::move(*id));
          if (entry && !entry->hidden) entries.push_back(std::move(*entry));
        },
        [](const fs::path&) {});
  }
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
  return entries;
}

std::vector<DesktopEntry> cached_scan() {
  static std::mutex mutex;
  static std::optional<std::pair<Signature, std::vector<DesktopEntry>>> cache;
  const auto dirs = application_dirs();
  Signature signature = signature_of(dirs);
  std::lock_guard lock(mutex);
  if (!cache || cache->first != signature) cache.emplace(std::move(signature), scan(dirs));
  return cache->second;
}

}  // namespace desktop_entry
