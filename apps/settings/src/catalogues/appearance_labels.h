#pragma once
// The labels of the appearance settings that are stored as numbers in the preferences.
#include <string>
#include <string_view>

namespace settings::panes::appearance {

// The nearest of "Small" 0.85, "Default" 1.0, "Large" 1.15 and "Larger" 1.3 (the setting-key
// table's); on equal distance the smaller one.
std::string text_size_label(double scale);

// The nearest of "90%" 0.9, "100%" 1.0, "110%" 1.1, "125%" 1.25 and "150%" 1.5 (the setting-key
// table's), the same way.
std::string ui_scale_label(double scale);

}  // namespace settings::panes::appearance
