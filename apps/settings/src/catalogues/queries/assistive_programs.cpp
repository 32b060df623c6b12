#include "catalogues/queries/assistive_programs.h"

#include <cstdlib>
#include <fstream>

#include "orvo_runtime/system_paths.h"

namespace settings::actions::assistive {
namespace {

std::string_view trimmed(std::string_view text) {
  constexpr std::string_view kSpace = " \t\r";
  const auto first = text.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

std::optional<std::string_view> environment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string_view(value);
}

template <class Visit>
void for_each_entry(std::string_view list, Visit visit) {
  while (true) {
    const auto colon = list.find(':');
    const std::string_view entry = list.substr(0, colon);
    if (!entry.empty()) visit(entry);
    if (colon == std::string_view::npos) return;
    list.remove_prefix(colon + 1);
  }
}

// Reads the keys of the [Desktop Entry] group that decide whether the entry can be started.
bool startable_application(const std::filesystem::path& entry) {
  std::ifstream in(entry);
  if (!in) return false;
  bool in_main_group = false;
  bool application = false;
  bool hidden = false;
  bool has_exec = false;
  std::string line;
  while (std::getline(in, line)) {
    const std::string_view text = trimmed(line);
    if (text.empty() || text.front() == '#') continue;
    if (text.front() == '[') {
      in_main_group = text == "[Desktop Entry]";
      continue;
    }
    if (!in_main_group) continue;
    const auto equals = text.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view key = trimmed(text.substr(0, equals));
    const std::string_view value = trimmed(text.substr(equals + 1));
    if (key == "Type") application = value == "Application";
    if (key == "Hidden") hidden = value == "true";
    if (key == "Exec") has_exec = !value.empty();
  }
  return application && has_exec && !hidden;
}

}  // namespace

bool on_search_path(std::string_view program, std::string_view search_path) {
  bool found = false;
  for_each_entry(search_path, [&](std::string_view dir) {
    std::error_code error;
    if (!found) found = std::filesystem::is_regular_file(std::filesystem::path(dir) / program, error);
  });
  return found;
}

std::optional<std::string> screen_reader_engine(std::optional<std::string_view> search_path) {
  if (!search_path) return std::nullopt;
  if (on_search_path("speech-dispatcher", *search_path)) return "Speech Dispatcher";
  if (on_search_path("espeak-ng", *search_path)) return "eSpeak NG";
  return std::nullopt;
}

std::optional<std::string> screen_reader_engine() { return screen_reader_engine(environment("PATH")); }

bool on_screen_keyboard_installed(std::span<const launcher::registry::InstalledPackage> packages,
                                  std::span<const std::filesystem::path> data_dirs) {
  for (const auto& package : packages) {
    if (package.app_id() == kOnScreenKeyboardId && package.manifest.gui_entrypoint("service")) return true;
  }
  for (const auto& dir : data_dirs) {
    const auto entry = dir / "applications" / kOnScreenKeyboardEntry;
    std::error_code error;
    // The first entry found stands for the application, as a user's own entry hides the system's.
    if (std::filesystem::exists(entry, error)) return startable_application(entry);
  }
  return false;
}

bool on_screen_keyboard_installed() {
  return on_screen_keyboard_installed(launcher::registry::list_installed(), data_directories());
}

std::vector<std::filesystem::path> data_directories() {
  std::vector<std::filesystem::path> dirs;
  const auto data_home = environment("XDG_DATA_HOME");
  const auto home = environment("HOME");
  if (data_home && data_home->starts_with('/')) {
    dirs.emplace_back(*data_home);
  } else if (home && home->starts_with('/')) {
    dirs.push_back(std::filesystem::path(*home) / ".local/share");
  }
  const auto data_dirs = environment("XDG_DATA_DIRS");
  const std::string_view system_dirs =
      data_dirs && !data_dirs->empty() ? *data_dirs : std::string_view("/usr/local/share:/usr/share");
  for_each_entry(system_dirs, [&dirs](std::string_view dir) {
    if (dir.starts_with('/')) dirs.push_back(system_paths::system_path(dir));
  });
  return dirs;
}

}  // namespace settings::actions::assistive
