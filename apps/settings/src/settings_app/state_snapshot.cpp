// The root's answers outside the frame loop: the live-state snapshot, the search providers and the
// pending text of a descendant.
#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>

#include "orvo_doc/document.h"
#include "orvo_json/json.h"
#include "settings_app/search_provider.h"
#include "settings_app/settings_app.h"

namespace settings::settings_app {

using nlohmann::ordered_json;

namespace {

constexpr std::string_view kAppId = "so.orvo.settings";
constexpr std::string_view kWitnessKind = "effective_heads_on_disposable_clone";

bool usable(double left, double top, double right, double bottom) {
  return std::isfinite(left) && std::isfinite(top) && std::isfinite(right) && std::isfinite(bottom) &&
         right > left && bottom > top;
}

// A "rect" entry of four finite numbers with a positive width and height.
bool usable_rect_json(const ordered_json& rect) {
  if (!rect.is_array() || rect.size() != 4) return false;
  for (const auto& v : rect) {
    if (!v.is_number()) return false;
  }
  return usable(rect[0].get<double>(), rect[1].get<double>(), rect[2].get<double>(), rect[3].get<double>());
}

ordered_json entry_or_null(const std::optional<ordered_json>& field, const char* key) {
  if (!field) return nullptr;
  return (*field)[key];
}

}  // namespace

std::optional<std::string> SettingsApp::state_json(const orvo_doc::Document& document, orvo_doc::ObjId object) {
  std::optional<ordered_json> field;
  std::vector<std::string> ids;
  collect_search_state(*this, field, ids);

  const bool ready = usable(rect_.x0, rect_.y0, rect_.x1, rect_.y1) && field && usable_rect_json((*field)["rect"]);
  const bool narrow = shell_ && shell_->is_narrow();
  const bool sidebar_open = shell_ && (!shell_->is_narrow() || !shell_->showing_content());

  ordered_json state = ordered_json::object();
  state["app"] = kAppId;
  state["search_id"] = kSearchFieldId;
  state["ready"] = ready;
  state["local_search_text"] = search_text_.snapshot();
  state["synchronized_search_query"] = search_query_;
  state["search_widget_text"] = entry_or_null(field, "text");
  state["search_caret_byte"] = entry_or_null(field, "caret_byte");
  state["search_focused"] = entry_or_null(field, "focused");
  state["search_rect"] = entry_or_null(field, "rect");
  state["root_rect"] = {rect_.x0, rect_.y0, rect_.x1, rect_.y1};
  state["selected_category"] = section_.id();
  state["rendered_result_count"] = ids.size();
  state["rendered_category_ids"] = ids;
  state["narrow"] = narrow;
  state["sidebar_open"] = sidebar_open;
  // The heads come from a disposable clone: asking for heads commits the open transaction, and the
  // given document keeps its own open.
  std::vector<std::string> heads;
  for (const auto& hash : document.clone().get_heads()) heads.push_back(hash.to_hex());
  std::sort(heads.begin(), heads.end());
  state["document_root"] = orvo_doc::to_debug_string(object);
  state["document_actor"] = document.actor_id().to_hex_string();
  state["document_witness_kind"] = kWitnessKind;
  state["effective_document_heads"] = heads;
  state["original_pending_ops"] = document.pending_ops();
  return orvo_json::value_text(state);
}

std::vector<std::shared_ptr<orvo_ui::SearchProvider>> SettingsApp::search_providers() {
  return {std::make_shared<PersonalSettingsSearchProvider>(search_catalog_)};
}

std::optional<std::string> SettingsApp::descendant_query() {
  for (orvo_ui::Widget* child : children_mut()) {
    if (auto text = query_descendants(*child)) return text;
  }
  return std::nullopt;
}

}  // namespace settings::settings_app
