#pragma once
// The root's search support: the "Personal Settings" catalog and the provider that answers the
// toolkit's global search from it, the walk that reports the search field's state and the sections
// the sidebar shows, and the depth-first query for a descendant's pending text.
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "orvo_ui/search.h"
#include "orvo_ui/widget.h"

namespace settings::settings_app {

inline constexpr std::string_view kPersonalSettingsCatalog = "Personal Settings";
// The most results one query returns.
inline constexpr std::size_t kSearchResultCap = 256;

// The catalog with one link entry per section, in sidebar order: the section's title, the address
// of its "open" action, its description as detail and its icon; found by its title, description
// and keywords.
orvo_ui::SearchCatalog build_search_catalog();

class PersonalSettingsSearchProvider : public orvo_ui::SearchProvider {
 public:
  explicit PersonalSettingsSearchProvider(orvo_ui::SearchCatalog catalog) : catalog_(std::move(catalog)) {}

  std::string_view name() const override { return kPersonalSettingsCatalog; }
  // The catalog's generation: it changes whenever the catalog does.
  std::optional<std::uint64_t> stats() const override;
  bool cursor_is_current(const orvo_ui::SearchCursor& cursor) const override;
  std::vector<orvo_ui::SearchHit> query(std::string_view text) const override;
  // At most `limit` hits, and never more than kSearchResultCap.
  std::vector<orvo_ui::SearchHit> query_limited(std::string_view text, std::size_t limit) const override;
  orvo_ui::SearchPage query_page(std::string_view text, std::size_t offset, std::size_t page_size,
                                 std::size_t limit) const override;
  // The section's resource for the address of a section's "open" action; none otherwise.
  std::optional<orvo_actions::Resource> open_resource(const orvo_actions::ActionAddress& address) const override;

  const orvo_ui::SearchCatalog& catalog() const { return catalog_; }

 private:
  orvo_ui::SearchCatalog catalog_;
};

// Walks `widget` and its descendants: the last widget "settings.search" met gives the field's state
// {"rect","focused","caret_byte","text"}; each sidebar row whose id is a section's title adds that
// section's id, in tree order.
void collect_search_state(const orvo_ui::Widget& widget, std::optional<nlohmann::ordered_json>& field,
                          std::vector<std::string>& section_ids);

// The first pending text of `widget` or its descendants, depth first, parent before children.
std::optional<std::string> query_descendants(orvo_ui::Widget& widget);

}  // namespace settings::settings_app
