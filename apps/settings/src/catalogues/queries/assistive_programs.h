#pragma once
// Whether the assistive programs that the Accessibility settings drive are installed: a screen
// reader engine on the search path, and the on-screen keyboard as an installed application.
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/registry.h"

namespace settings::actions::assistive {

// Whether a directory of `search_path` (a PATH value, directories separated by ":") holds a regular
// file named `program`. Empty entries are passed over; permission bits are not looked at.
bool on_search_path(std::string_view program, std::string_view search_path);

// "Speech Dispatcher" when "speech-dispatcher" is on the search path, else "eSpeak NG" when
// "espeak-ng" is; none otherwise, and none when there is no search path.
std::optional<std::string> screen_reader_engine(std::optional<std::string_view> search_path);
// The same with the process's PATH.
std::optional<std::string> screen_reader_engine();

inline constexpr std::string_view kOnScreenKeyboardId = "so.orvo.osk";
inline constexpr std::string_view kOnScreenKeyboardEntry = "so.orvo.osk.desktop";

// Whether the on-screen keyboard is installed: as the launcher package of application id
// "so.orvo.osk" with a "service" entry point that has a graphical program; else as its desktop
// entry, where the first "applications/so.orvo.osk.desktop" found under the data directories, in
// order, must be an application that is not hidden and names a program to run.
bool on_screen_keyboard_installed(std::span<const launcher::registry::InstalledPackage> packages,
                                  std::span<const std::filesystem::path> data_dirs);
// The same over the installed packages and the user's and the system's data directories.
bool on_screen_keyboard_installed();

// $XDG_DATA_HOME (else ~/.local/share), then each directory of $XDG_DATA_DIRS (else
// /usr/local/share and /usr/share); relative entries are left out, system ones are taken under the
// system root.
std::vector<std::filesystem::path> data_directories();

}  // namespace settings::actions::assistive
