#pragma once
// The search field above the sidebar: a text input bound to the root's search text cell.
#include <memory>
#include <string>

#include "orvo_ui/published_cell.h"
#include "orvo_ui/widget.h"

namespace settings::settings_app {

inline constexpr std::string_view kSearchFieldId = "settings.search";
inline constexpr std::string_view kSearchPlaceholder = "Search settings";
inline constexpr float kSearchTextSize = 13;
// The longest query the field takes, in bytes.
inline constexpr std::size_t kSearchMaxBytes = 256;
// The field holds a search query.
inline constexpr std::uint8_t kSearchFieldKind = 2;

// The field "settings.search" editing `text`.
std::unique_ptr<orvo_ui::Widget> make_search_field(const orvo_ui::PublishedCell<std::string>& text);

}  // namespace settings::settings_app
