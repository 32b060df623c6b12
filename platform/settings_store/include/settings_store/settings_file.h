#pragma once
// Reading and rewriting the settings file (`settings_path()`): one JSON object whose top-level
// members ("sections") belong to different parts of the system and to other programs.
//
// A rewrite reads the file again, lets the caller merge into its text and replaces the file
// atomically, owner-only, through a symbolic link and with a stricter existing mode kept. Only a
// missing file counts as empty: a file that cannot be read, is not UTF-8 or is not a JSON object is
// never overwritten, since it may be another program's. Key order, the pretty form and every member
// the caller does not touch are kept.
//
// There is no cache and no lock: between one caller's read and its write another may write; the
// last writer wins per section. All calls run on the caller's thread.
#include <expected>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

namespace settings_store {

// The new text of the file from its current text (empty when there is none); none when nothing
// needs writing, or an error (a lower-case sentence) that leaves the file as it was.
using SettingsMerge = std::function<std::expected<std::optional<std::string>, std::string>(std::string_view existing)>;

// The top-level object of the file's text: an empty object for blank text (a new file); for other
// text that is not a JSON object, why not ("the file is not JSON", the strict reader's words, …).
std::expected<nlohmann::ordered_json, std::string> settings_object(std::string_view text);

// Creates the configuration directory when needed, reads the file and writes what `merge` answers.
// Answers the file's path; errors are lower-case sentences ("no config dir",
// "could not read …: Is a directory", "could not read …: the file holds JSON that is not an object").
std::expected<std::filesystem::path, std::string> rewrite_settings_file(const SettingsMerge& merge);

// The section `name` of the file; none when there is no configuration directory, no file, a file
// that cannot be read or is not a JSON object, or no such member.
std::optional<nlohmann::ordered_json> load_section(std::string_view name);

// Hands `change` the section `name` as an object (empty when it is absent or not an object) and,
// when `change` answers true, writes the file back with that one member replaced in place (or
// appended). Nothing is written when `change` answers false.
std::expected<void, std::string> update_section(std::string_view name,
                                                const std::function<bool(nlohmann::ordered_json& section)>& change);

}  // namespace settings_store
