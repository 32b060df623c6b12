#include "settings_store/input_config.h"

#include <algorithm>
#include <string_view>

namespace settings_store::hardware {
namespace {

constexpr std::string_view kFallbackSource = "us";

std::string trimmed(std::string_view id) {
  constexpr std::string_view kSpace = " \t\n\r\f\v";
  const auto first = id.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  const auto last = id.find_last_not_of(kSpace);
  return std::string(id.substr(first, last - first + 1));
}

}  // namespace

void RichInputConfig::normalise_sources() {
  std::vector<std::string> sources;
  sources.reserve(keyboard_layouts.size() + 1);
  for (const auto& raw : keyboard_layouts) {
    std::string id = trimmed(raw);
    if (id.empty() || std::find(sources.begin(), sources.end(), id) != sources.end()) continue;
    sources.push_back(std::move(id));
  }
  std::string active = trimmed(keyboard_layout);
  if (active.empty()) active = sources.empty() ? std::string(kFallbackSource) : sources.front();
  if (std::find(sources.begin(), sources.end(), active) == sources.end()) sources.insert(sources.begin(), active);
  keyboard_layout = std::move(active);
  keyboard_layouts = std::move(sources);
}

}  // namespace settings_store::hardware
