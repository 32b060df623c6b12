#include "sidebar/sidebar_keys.h"

#include <algorithm>

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
  // A page: the farthest row that still fits in one sidebar height from the focused row's far edge.
  const double view = nav.get_rect().height();
  const orvo_ui::Rect from = (*at)->get_rect();
  auto page_step = [&](bool down) {
    std::ptrdiff_t target = down ? index + 1 : index - 1;
    for (std::ptrdiff_t i = 0; i <= last; ++i) {
      const orvo_ui::Rect r = rows[static_cast<std::size_t>(i)]->get_rect();
      if (down && i > target && r.y1 - from.y0 <= view) target = i;
      if (!down && i < target && from.y1 - r.y0 <= view) target = i;
    }
    return target;
  };
  std::ptrdiff_t target = index;
  switch (key.key) {
    case NamedKey::Up: target = index - 1; break;
    case NamedKey::Down: target = index + 1; break;
    case NamedKey::Home: target = 0; break;
    case NamedKey::End: target = last; break;
    case NamedKey::PageUp: target = page_step(false); break;
    case NamedKey::PageDown: target = page_step(true); break;
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
