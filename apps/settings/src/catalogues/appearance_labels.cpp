#include "catalogues/appearance_labels.h"

#include <array>
#include <cmath>
#include <utility>

#include "preferences/setting_fields.h"

namespace settings::panes::appearance {
namespace {

constexpr std::array<std::pair<std::string_view, double>, 4> kTextSizes{
    {{"Small", 0.85}, {"Default", 1.0}, {"Large", 1.15}, {"Larger", 1.3}}};

}  // namespace

std::string_view text_size_label(double scale) {
  std::string_view best = kTextSizes.front().first;
  double best_distance = std::abs(scale - kTextSizes.front().second);
  for (const auto& [label, value] : kTextSizes) {
    const double distance = std::abs(scale - value);
    // Only a strictly nearer entry replaces the best, so a tie keeps the earlier one.
    if (distance < best_distance) {
      best = label;
      best_distance = distance;
    }
  }
  return best;
}

std::string ui_scale_label(double scale) {
  preferences::Preferences prefs;
  prefs.appearance.ui_scale = scale;
  return preferences::stored_label(prefs, "appearance.ui_scale").value_or("100%");
}

}  // namespace settings::panes::appearance
