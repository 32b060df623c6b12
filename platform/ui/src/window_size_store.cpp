#include "window_size_store.h"

#include <nlohmann/json.hpp>

#include "orvo_log/log.h"
#include "orvo_runtime/atomic_file.h"

namespace orvo_ui::window_size_store {
namespace {

constexpr std::uint32_t kLargest = 16384;

std::optional<std::uint32_t> dimension(const nlohmann::json& value) {
  if (!value.is_number_unsigned()) return std::nullopt;
  const auto n = value.get<std::uint64_t>();
  if (n == 0 || n > kLargest) return std::nullopt;
  return static_cast<std::uint32_t>(n);
}

}  // namespace

std::optional<WindowSize> load(const std::filesystem::path& folder) {
  auto text = atomic_file::read_existing(folder / kFileName);
  if (!text || !*text) return std::nullopt;
  const nlohmann::json json = nlohmann::json::parse(**text, nullptr, false);
  if (!json.is_object()) return std::nullopt;
  auto width = json.contains("width") ? dimension(json["width"]) : std::nullopt;
  auto height = json.contains("height") ? dimension(json["height"]) : std::nullopt;
  if (!width || !height) return std::nullopt;
  return WindowSize{*width, *height};
}

void save(const std::filesystem::path& folder, WindowSize size) {
  if (size.width == 0 || size.height == 0 || size.width > kLargest || size.height > kLargest) return;
  const std::string text =
      "{\"width\":" + std::to_string(size.width) + ",\"height\":" + std::to_string(size.height) + "}\n";
  if (auto written = atomic_file::write(folder / kFileName, text, 0600); !written) {
    orvo_log::warn("could not remember the window size", {{"error", written.error()}});
  }
}

}  // namespace orvo_ui::window_size_store
