#include "settings_app/search_provider.h"

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>

#include "actions/section_address.h"
#include "settings_app/resource_paths.h"
#include "sections/sections.h"
#include "settings_app/settings_app.h"
#include "sidebar/lookups.h"

namespace settings::settings_app {

using orvo_ui::SearchCatalog;
using orvo_ui::SearchEntry;

namespace {

// The section's title, description and keywords, joined by single spaces.
std::string search_text(SettingsSection section) {
  std::string text(section.title());
  text += ' ';
  text += section.description();
  for (std::string_view keyword : section.keywords()) {
    text += ' ';
    text += keyword;
  }
  return text;
}

}  // namespace

SearchCatalog build_search_catalog() {
  SearchCatalog catalog(kPersonalSettingsCatalog);
  for (SettingsSection section : SIDEBAR_ORDER) {
    SearchEntry entry = SearchEntry::link(kPersonalSettingsCatalog, section.title(),
                                          actions::open_section_address(section))
                            .with_detail(section.description())
                            .with_icon(section.icon());
    catalog.add(std::move(entry), search_text(section));
  }
  return catalog;
}

std::optional<std::uint64_t> PersonalSettingsSearchProvider::stats() const { return catalog_.stats()[3]; }

bool PersonalSettingsSearchProvider::cursor_is_current(const orvo_ui::SearchCursor& cursor) const {
  return catalog_.cursor_is_current(cursor);
}

std::vector<orvo_ui::SearchHit> PersonalSettingsSearchProvider::query(std::string_view text) const {
  return query_limited(text, kSearchResultCap);
}

std::vector<orvo_ui::SearchHit> PersonalSettingsSearchProvider::query_limited(std::string_view text,
                                                                              std::size_t limit) const {
  return query_page(text, 0, kSearchResultCap, std::min(limit, kSearchResultCap)).hits;
}

orvo_ui::SearchPage PersonalSettingsSearchProvider::query_page(std::string_view text, std::size_t offset,
                                                               std::size_t page_size, std::size_t limit) const {
  return catalog_.query_page(text, offset, page_size, limit);
}

std::optional<orvo_actions::Resource> PersonalSettingsSearchProvider::open_resource(
    const orvo_actions::ActionAddress& address) const {
  return open_section_resource(address);
}

void collect_search_state(const orvo_ui::Widget& widget, std::optional<nlohmann::ordered_json>& field,
                          std::vector<std::string>& section_ids) {
  if (widget.widget_id() == kSearchFieldId) {
    const orvo_ui::Rect rect = widget.get_rect();
    const std::optional<orvo_ui::TextReview> review = widget.text_review();
    nlohmann::ordered_json state = nlohmann::ordered_json::object();
    state["rect"] = {rect.x0, rect.y0, rect.x1, rect.y1};
    state["focused"] = widget.has_focus();
    const bool has_text = review && review->text;
    state["caret_byte"] = has_text ? nlohmann::ordered_json(review->caret_byte) : nlohmann::ordered_json(nullptr);
    state["text"] = has_text ? nlohmann::ordered_json(*review->text) : nlohmann::ordered_json(nullptr);
    field = std::move(state);
  }
  if (widget.name() == "SidebarRow") {
    const std::optional<std::string> id = widget.widget_id();
    for (SettingsSection section : SIDEBAR_ORDER) {
      if (id == section.title()) section_ids.emplace_back(section.id());
    }
  }
  widget.for_each_child([&](const orvo_ui::Widget& child) { collect_search_state(child, field, section_ids); });
}

std::optional<std::string> query_descendants(orvo_ui::Widget& widget) {
  if (auto text = widget.descendant_query()) return text;
  for (orvo_ui::Widget* child : widget.children_mut()) {
    if (auto text = query_descendants(*child)) return text;
  }
  return std::nullopt;
}

}  // namespace settings::settings_app
