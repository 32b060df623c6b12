#pragma once
// Reading and writing the family's JSON store files: a missing file is the empty value, a file that
// cannot be read or decoded is an error, and writes are atomic with the owner-only mode and keep the
// top-level keys the record does not know.
#include <sys/stat.h>

#include <expected>
#include <filesystem>
#include <string>

#include <fmt/format.h>

#include "orvo_json/json.h"
#include "orvo_json/unknown_members.h"
#include "orvo_runtime/atomic_file.h"

namespace accounts::detail {

inline constexpr mode_t kPrivateFileMode = 0600;

template <class T>
std::expected<T, std::string> load_json_file(const std::filesystem::path& path) {
  auto bytes = atomic_file::read_existing(path);
  if (!bytes) return std::unexpected(bytes.error());
  if (!bytes->has_value()) return T{};
  auto value = orvo_json::decode<T>(**bytes);
  if (!value) return std::unexpected(fmt::format("could not decode {}: {}", path.string(), value.error().text()));
  return std::move(*value);
}

// Keys of the stored file that the record does not know are kept. (Callers load the store strictly
// before they change it, so a file that cannot be read has stopped the change already.)
template <class T>
std::expected<void, std::string> save_json_file(const std::filesystem::path& path, const T& value) {
  auto stored = atomic_file::read_existing(path);
  const std::string_view existing = stored && stored->has_value() ? std::string_view(**stored) : std::string_view();
  const std::string text = orvo_json::encode_keeping_unknown(value, existing);
  return atomic_file::write_creating_parent_with_mode(path, text, kPrivateFileMode);
}

}  // namespace accounts::detail
