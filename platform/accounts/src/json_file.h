#pragma once
// Reading and writing the family's JSON store files: a missing file is the empty value, a file that
// cannot be read or decoded is an error, and writes are atomic with the owner-only mode.
#include <sys/stat.h>

#include <expected>
#include <filesystem>
#include <string>

#include <fmt/format.h>

#include "orvo_json/json.h"
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

template <class T>
std::expected<void, std::string> save_json_file(const std::filesystem::path& path, const T& value) {
  return atomic_file::write_creating_parent_with_mode(path, orvo_json::encode(value), kPrivateFileMode);
}

}  // namespace accounts::detail
