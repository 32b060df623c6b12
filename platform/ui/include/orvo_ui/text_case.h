#pragma once
// Case mapping of UTF-8 text with the full Unicode rules (so "ß" becomes "SS").
#include <string>
#include <string_view>

namespace orvo_ui {

// The text upper-cased; invalid UTF-8 is given back unchanged.
std::string to_uppercase(std::string_view text);

}  // namespace orvo_ui
