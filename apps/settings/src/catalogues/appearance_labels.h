#pragma once
// The labels of the appearance settings that are stored as numbers in the preferences.
#include <string_view>

namespace settings::panes::appearance {

// The nearest of "Small" 0.85, "Default" 1.0, "Large" 1.15 and "Larger" 1.3; on equal distance the
// smaller one.
std::string_view text_size_label(double scale);

}  // namespace settings::panes::appearance
