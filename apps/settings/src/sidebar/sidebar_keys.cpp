#include "sidebar/sidebar_keys.h"

#include <algorithm>
#include <cmath>

#include "orvo_ui/widgets/scrollable.h"

namespace settings::sidebar {
namespace {

using orvo_ui::NamedKey;

void collect_rows(const orvo_ui::Widget& widget, std::vector<const SidebarRow*>& out) {
  if (const auto* row = dynamic_cast<const SidebarRow*>(&widget)) out.push_back(row);
  widget.for_each_child([&](const orvo_ui::Widget& child) { collect_rows(child, out); });
}

const orvo_ui::Scrollable* first_scrollable(const orvo_ui::Widget& widget) {
  if (const auto* scroll = dynamic_cast<const orvo_ui::Scrollable*>(&widget)) return scroll;
  for (const orvo_ui::Widget* child : widget.children()) {
    if (const auto* found = first_scrollable(*child)) return found;
  }
  return nullptr;
}

orvo_ui::Scrollable* first_scrollable(orvo_ui::Widget& widget) {
  if (auto* scroll = dynamic_cast<orvo_ui::Scrollable*>(&widget)) return scroll;
  for (orvo_ui::Widget* child : widget.children_mut()) {
    if (auto* found = first_scrollable(*child)) return found;
  }
  return nullptr;
}

}  // namespace

std::vector<const SidebarRow*> rows_of(const orvo_ui::Widget& nav) {
  std::vector<const SidebarRow*> rows;
  collect_rows(nav, rows);
  return rows;
}

const SidebarRow* focused_row(const orvo_ui::Widget& nav) {
  for (const SidebarRow* row : rows_of(nav)) {
    if (row->has_focus()) return row;
  }
  return nullptr;
}

std::optional<std::string> row_focus_step(const orvo_ui::Widget& nav, const orvo_ui::event::Key& key) {
  if (!key.pressed || key.modifiers.ctrl || key.modifiers.alt || key.modifiers.super || key.modifiers.shift) {
    return std::nullopt;
  }
  const std::vector<const SidebarRow*> rows = rows_of(nav);
  const auto at = std::find_if(rows.begin(), rows.end(), [](const SidebarRow* row) { return row->has_focus(); });
  if (at == rows.end()) return std::nullopt;
  const auto index = static_cast<std::ptrdiff_t>(at - rows.begin());
  const auto last = static_cast<std::ptrdiff_t>(rows.size()) - 1;
  // A page is as many rows as fit in the sidebar's height.
  const double row_height = std::max(1.0, (*at)->get_rect().height());
  const auto page = std::max<std::ptrdiff_t>(1, static_cast<std::ptrdiff_t>(std::floor(nav.get_rect().height() / row_height)));
  std::ptrdiff_t target = index;
  switch (key.key) {
    case NamedKey::Up: target = index - 1; break;
    case NamedKey::Down: target = index + 1; break;
    case NamedKey::Home: target = 0; break;
    case NamedKey::End: target = last; break;
    case NamedKey::PageUp: target = index - page; break;
    case NamedKey::PageDown: target = index + page; break;
    default: return std::nullopt;
  }
  target = std::clamp<std::ptrdiff_t>(target, 0, last);
  if (target == index) return std::nullopt;
  return rows[static_cast<std::size_t>(target)]->widget_id();
}

void carry_scroll(const orvo_ui::Widget& old, orvo_ui::Widget& fresh) {
  const orvo_ui::Scrollable* from = first_scrollable(old);
  orvo_ui::Scrollable* to = first_scrollable(fresh);
  if (from && to) to->restore_offset(from->offset());
}

}  // namespace settings::sidebar
