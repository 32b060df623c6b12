#pragma once
// Installed applications as their .desktop files describe them, found in the XDG data directories.
//
// Only what the settings lists need is read: the application's name, the MIME types and URL schemes
// it opens (MimeType=), whether it is hidden from menus (NoDisplay=) or removed (Hidden=), the
// command that starts it (Exec=), and the application id a sandboxed application runs under
// (X-Flatpak=).
// Localised keys ("Name[de]") are ignored; the unlocalised value is the name.
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace desktop_entry {

struct DesktopEntry {
  // The desktop file id: the path below an "applications" directory with "/" turned into "-" and
  // ".desktop" removed ("org.example.Editor").
  std::string id;
  std::string name;
  // The MIME types of MimeType=, in file order, empty items dropped; URL schemes are written as
  // "x-scheme-handler/<scheme>".
  std::vector<std::string> mime_types;
  bool no_display = false;
  bool hidden = false;
  // The Exec= command line with the string escapes undone; split it with `exec_arguments`.
  std::string exec = {};
  // X-Flatpak=: the id the application runs under when it differs from the desktop file id; none
  // when the key is absent or empty.
  std::optional<std::string> app_id = {};

  bool operator==(const DesktopEntry&) const = default;
};

// A .desktop file larger than this is not read.
inline constexpr std::size_t kMaxDesktopFileBytes = 256 * 1024;

// Reads the [Desktop Entry] group of a .desktop file. None unless it declares Type=Application and
// a non-empty Name. A key given twice keeps its first value.
std::optional<DesktopEntry> parse(std::string_view text, std::string id);

// The program and arguments of an Exec= command line: arguments are separated by spaces, a
// double-quoted argument keeps its spaces (\" \` \$ \\ are escapes inside it), field codes (%f, %U,
// …) are dropped and "%%" is "%". None when the quoting is broken or no program is left.
std::optional<std::vector<std::string>> exec_arguments(std::string_view exec);

// The entry of desktop file id `id` in the first of `dirs` that holds "<id>.desktop"; none when
// there is none, or when that entry is Hidden.
std::optional<DesktopEntry> find(std::string_view id, const std::vector<std::filesystem::path>& dirs);

// The desktop file id of a path relative to an "applications" directory; none unless it ends in
// ".desktop" and names something before that.
std::optional<std::string> file_id(const std::filesystem::path& relative);

// The system's data directories in precedence order: each absolute directory of $XDG_DATA_DIRS,
// else /usr/local/share and /usr/share under the system root.
std::vector<std::filesystem::path> system_data_dirs();

// The "applications" directories in precedence order: the user's data directory ($XDG_DATA_HOME,
// else ~/.local/share) first, then each of $XDG_DATA_DIRS (else /usr/local/share and /usr/share).
// Relative entries are ignored, as the XDG rules require.
std::vector<std::filesystem::path> application_dirs();

// Every application entry of the directories, sorted by id. When two directories hold the same id
// the earlier directory wins, so a user's copy (or a Hidden=true stub) overrides the system's.
// Entries marked Hidden are left out; NoDisplay entries are kept with their flag. Unreadable
// directories and files are skipped.
std::vector<DesktopEntry> scan(const std::vector<std::filesystem::path>& dirs);

// `scan(application_dirs())`, read again only when a directory or desktop file changed (an
// application was installed, removed or updated) since the last call. Safe to call from any thread.
std::vector<DesktopEntry> cached_scan();

}  // namespace desktop_entry
