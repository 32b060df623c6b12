// The window's own keys, taken before the shell hands a key on: Ctrl+F to the search field, the
// search field's Enter, Down and Escape, moving through the sidebar rows, and going back from a page
// to the list in a narrow window.
#include "settings_app/search_field.h"
#include "settings_app/settings_app.h"
#include "sidebar/sidebar_keys.h"

namespace settings::settings_app {

using namespace orvo_ui;

namespace {

bool plain(const event::Key& key) {
  return !key.modifiers.ctrl && !key.modifiers.alt && !key.modifiers.super && !key.modifiers.shift;
}

bool is_find(const event::Key& key) {
  return key.key == NamedKey::None && key.modifiers.ctrl && !key.modifiers.alt && !key.modifiers.super &&
         !key.modifiers.shift && (key.text == "f" || key.text == "F");
}

}  // namespace

bool SettingsApp::handle_shell_key(const event::Key& key, EventContext& context) {
  if (!shell_ || !key.pressed) return false;
  if (is_find(key)) {
    // In a narrow window showing a page, the field comes back with the list.
    if (shell_->is_narrow() && shell_->showing_content()) shell_->show_navigation();
    context.focus_request_id = std::string(kSearchFieldId);
    context.request_redraw();
    return true;
  }
  const Widget* nav = shell_->nav();
  const Widget* search = shell_->search();
  const bool nav_shown = !shell_->is_narrow() || !shell_->showing_content();
  if (!nav || !nav_shown) return false;

  if (search && search->has_focus() && plain(key)) {
    const auto rows = sidebar::rows_of(*nav);
    switch (key.key) {
      case NamedKey::Enter:
        // Opens the first match; with no query there is nothing to open.
        if (trim_unicode_whitespace(search_query_).empty() || rows.empty()) return false;
        (void)selection_.publish(rows.front()->section());
        context.request_redraw();
        return true;
      case NamedKey::Down:
        if (rows.empty()) return false;
        context.focus_request_id = rows.front()->widget_id();
        return true;
      case NamedKey::Escape:
        // The first Escape clears the query, the next leaves the field for the selected row.
        if (!search_text_.snapshot().empty()) {
          (void)search_text_.publish(std::string());
        } else {
          context.focus_request_id = std::string(section_.title());
        }
        context.request_redraw();
        return true;
      default: return false;
    }
  }

  if (const sidebar::SidebarRow* row = sidebar::focused_row(*nav)) {
    // Up from the first row goes back to the search field above the list.
    const auto rows = sidebar::rows_of(*nav);
    if (plain(key) && key.key == NamedKey::Up && search && !rows.empty() && rows.front() == row) {
      context.focus_request_id = std::string(kSearchFieldId);
      return true;
    }
    if (auto target = sidebar::row_focus_step(*nav, key)) {
      context.focus_request_id = std::move(target);
      context.request_redraw();
      return true;
    }
  }
  return false;
}

}  // namespace settings::settings_app
