#include "window_size_store.h"

#include <nlohmann/json.hpp>

#include "orvo_log/log.h"
#include "orvo_runtime/atomic_file.h"

namespace orvo_ui::window_size_store {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::uint32_t kLargest = 16384;
// The file holds two numbers; anything near this size is not ours.
constexpr std::size_t kFileCap = 64 * 1024;

std::optional<std::uint32_t> dimension(const Json& value) {
  if (!value.is_number_unsigned()) return std::nullopt;
  const auto n = value.get<std::uint64_t>();
  if (n == 0 || n > kLargest) return std::nullopt;
  return static_cast<std::uint32_t>(n);
}

bool is_blank(std::string_view text) { return text.find_first_not_of(" \t\r\n") == std::string_view::npos; }

// The file's object when it is one this program could have written: an object whose "width" and
// "height", where present, are sizes. Other members are someone else's and are kept.
std::optional<Json> stored_object(std::string_view text) {
  Json json = Json::parse(text, nullptr, false);
  if (!json.is_object()) return std::nullopt;
  for (const char* name : {"width", "height"}) {
    if (json.contains(name) && !dimension(json[name])) return std::nullopt;
  }
  return json;
}

}  // namespace

std::optional<WindowSize> load(const std::filesystem::path& folder) {
  auto text = atomic_file::read_existing(folder / kFileName, kFileCap);
  if (!text || !*text) return std::nullopt;
  auto json = stored_object(**text);
  if (!json || !json->contains("width") || !json->contains("height")) return std::nullopt;
  return WindowSize{*dimension((*json)["width"]), *dimension((*json)["height"])};
}

void save(const std::filesystem::path& folder, WindowSize size) {
  if (size.width == 0 || size.height == 0 || size.width > kLargest || size.height > kLargest) return;
  const auto path = folder / kFileName;
  // A file that cannot be read or is not ours (a damaged one, a link to another file) stays as it
  // is: the size is simply not remembered.
  const auto target = atomic_file::write_target(path);
  auto existing = atomic_file::read_existing(target, kFileCap);
  if (!existing) {
    orvo_log::warn("could not remember the window size", {{"error", existing.error()}});
    return;
  }
  Json json = Json::object();
  if (*existing && !is_blank(**existing)) {
    auto stored = stored_object(**existing);
    if (!stored) {
      orvo_log::warn("could not remember the window size: the file holds something else; it is left as it is",
                     {{"path", target.string()}});
      return;
    }
    json = std::move(*stored);
  }
  json["width"] = size.width;
  json["height"] = size.height;
  if (auto written = atomic_file::write(path, json.dump() + "\n", 0600); !written) {
    orvo_log::warn("could not remember the window size", {{"error", written.error()}});
  }
}

}  // namespace orvo_ui::window_size_store
