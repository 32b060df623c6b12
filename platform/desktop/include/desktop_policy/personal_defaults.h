#pragma once
// The user's own default applications: for each kind (resource_kind.h), the id of the application
// that opens it. They are kept in "orvo/personal-defaults.json" under the configuration directory,
// a JSON object from kind to application id, and every save also writes the MIME types and URL
// schemes among them into the [Default Applications] group of "mimeapps.list" in the configuration
// directory, which the desktop's opener reads. Extension kinds live only in our own file.
//
// Saves are atomic and careful with what they did not make: a save rereads both files and changes
// only the kinds set since the load, so members and lines written by someone else stay as they are.
// A missing file counts as empty; a file that cannot be read or understood stops the save, so it is
// never overwritten.
#include <expected>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>

#include "desktop_policy/resource_kind.h"

namespace desktop_policy::defaults {

// Where a save writes.
struct DefaultsPaths {
  std::filesystem::path store;
  std::filesystem::path mimeapps;

  // The user's files; none when no configuration directory is known.
  static std::optional<DefaultsPaths> user();
};

class PersonalDefaults {
 public:
  PersonalDefaults() = default;

  // The user's store. A missing file gives an empty store; an unreadable or malformed one gives an
  // empty store that refuses to save (see `load_error`).
  static PersonalDefaults load();
  static PersonalDefaults load_at(const std::filesystem::path& store);

  // The application chosen for `kind`, if any.
  std::optional<std::string> get(std::string_view kind) const;
  const std::map<std::string, std::string, std::less<>>& entries() const { return by_kind_; }

  // Makes `app_id` the default of `kind`. Refused (and nothing changes) unless one of `candidates`
  // has that id and handles the kind.
  std::expected<void, std::string> set(std::string_view kind, std::string_view app_id,
                                       std::span<const AppCandidate> candidates);

  // Writes the kinds set since the load into the user's files (`save`) or the given ones. Nothing is
  // written when either file cannot be read, or the store could not be loaded.
  std::expected<void, std::string> save() const;
  std::expected<void, std::string> save_at(const DefaultsPaths& paths) const;

  // Why the store could not be loaded; empty when it was.
  const std::string& load_error() const { return load_error_; }

 private:
  std::map<std::string, std::string, std::less<>> by_kind_;
  std::set<std::string, std::less<>> changed_;
  std::string load_error_;
};

// The MIME-type key a kind has in mimeapps.list: "text/plain" for "mime:text/plain",
// "x-scheme-handler/https" for "scheme:https"; none for extension kinds.
std::optional<std::string> mimeapps_key(std::string_view kind);

// `text` (a mimeapps.list) with `assignments` (key → desktop file name) set in its
// [Default Applications] group: a line of an assigned key is replaced in place, missing keys are
// appended to the group (made at the end when absent); every other group, comment and line is kept.
std::string with_default_applications(std::string_view text, const std::map<std::string, std::string>& assignments);

class DefaultAppResolver {
 public:
  // The application that opens `kind`: the personal default when it names one of `candidates` that
  // handles the kind, else none (never a guess).
  static std::optional<std::string> resolve(std::string_view kind, std::span<const AppCandidate> candidates,
                                            const PersonalDefaults& personal);
};

}  // namespace desktop_policy::defaults
