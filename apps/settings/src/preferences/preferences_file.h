#pragma once
// The preferences file: one JSON object at `settings_store::settings_path()` holding "version",
// the sections of `Preferences`, the "locale" section and keys of other programs.
//
// Loading never fails: no path, no file, an unreadable file or text that is not JSON give defaults.
// A section is read field by field: a field that is missing or does not decode takes its default and
// every other field keeps its value (each per-application rule on its own). A save reads the file
// again and writes, member by member, only what differs from what the file gives: a member that did
// not decode or that no field names stays as the file holds it unless that very field was changed.
// Every other key keeps its place, and the whole file is written atomically with its mode kept. A
// save never overwrites a file it could not read: only a missing file counts as empty.
//
// There is no cache and no lock: between one caller's load and its save another may save; the last
// writer wins per section. All calls run on the caller's thread.
#include <cstdint>
#include <expected>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "preferences/locale.h"
#include "preferences/records.h"

namespace settings::preferences {

// The saved preferences, with the keyboard sources normalised; the built-in defaults (not
// normalised) when there is no path or the file cannot be read.
Preferences load_preferences();

// The preferences held by the text of a preferences file; each field that is absent or does not
// decode takes its default.
Preferences decode_preferences(std::string_view text);

// Merges `prefs` into the file and returns its path; errors are lower-case sentences ("no config
// dir", "could not read …: Is a directory"). A file that exists but is not a JSON object is never
// overwritten ("could not read …: " and why). On error the file is as it was. The file is written
// owner-only; a symbolic link is written through.
std::expected<std::filesystem::path, std::string> save_preferences(const Preferences& prefs);

// The new text of the file: `existing` with what `prefs` changed against it merged in, as pretty JSON.
// Blank existing text starts a new file; other text that is not a JSON object is refused (the
// reason, without the path), as is a section that cannot be written.
std::expected<std::string, std::string> merge_preferences_json(const Preferences& prefs, std::string_view existing);

// Reads the file, lets `change` edit the preferences it holds and, when they changed, writes back the
// one section named ("appearance", "notifications" or "accessibility") with everything else kept.
// Nothing is written when nothing changed, when `change` fails (its error is answered) or when the
// file cannot be read.
std::expected<std::filesystem::path, std::string> update_preferences_section(
    std::string_view section, const std::function<std::expected<void, std::string>(Preferences&)>& change);

// How many times this process wrote the file. A reader that keeps what it loaded loads again when
// the count moved, instead of reading the file over and over.
std::uint64_t preferences_writes();

Locale load_locale_preferences();
Locale decode_locale(std::string_view text);
std::expected<std::filesystem::path, std::string> save_locale_preferences(const Locale& locale);
std::expected<std::string, std::string> merge_locale_json(const Locale& locale, std::string_view existing);
// Reads the file, lets `change` edit the locale it holds and, when it changed, writes back the
// "locale" section with every other key kept. Nothing is written when nothing changed, when `change`
// fails (its error is answered) or when the file cannot be read.
std::expected<std::filesystem::path, std::string> update_locale_preferences(
    const std::function<std::expected<void, std::string>(Locale&)>& change);

// `value` when it is finite and within 0.0 to 1.0 (both included), else
// "input value must be between 0.0 and 1.0".
std::expected<double, std::string> validate_unit_interval(double value);

}  // namespace settings::preferences
