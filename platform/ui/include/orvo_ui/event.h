#pragma once
// Input events as the loop delivers them to widgets, and the context handed along with each.
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "orvo_ui/geometry.h"
#include "orvo_ui/layout.h"

namespace orvo_ui {

enum class MouseButton : std::uint8_t { Primary, Secondary, Middle };

enum class NamedKey : std::uint8_t {
  None,  // a character key; see Key::text
  Enter,
  Space,
  Tab,
  Escape,
  Backspace,
  Delete,
  Left,
  Right,
  Up,
  Down,
  Home,
  End,
  PageUp,
  PageDown,
};

struct Modifiers {
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
  bool super = false;
  friend bool operator==(const Modifiers&, const Modifiers&) = default;
};

namespace event {
// Positions are physical pixels; widgets divide by the scale factor.
struct PointerMoved {
  Point position;
};
struct PointerButton {
  MouseButton button = MouseButton::Primary;
  bool pressed = true;
  Point position;
};
struct Wheel {
  Point position;
  double dx = 0;
  double dy = 0;  // positive scrolls the content up (towards its end)
};
struct PointerLeft {};
struct Key {
  NamedKey key = NamedKey::None;
  std::string text;  // the character for NamedKey::None, e.g. "a"
  bool pressed = true;
  Modifiers modifiers;
};
struct TextInput {
  std::string text;
};
}  // namespace event

using Event = std::variant<event::PointerMoved, event::PointerButton, event::Wheel, event::PointerLeft, event::Key,
                           event::TextInput>;

struct EventContext {
  double scale_factor = 1.0;
  bool redraw_requested = false;
  // A widget asks for keyboard focus by putting its own node here.
  std::optional<NodeId> focus_request;
  // The node of the widget the event is handed to, and the tree it lives in.
  NodeId node = 0;
  const LayoutTree* tree = nullptr;
  // Set by the widget that took a pointer press, so widgets later in the tree (under an open popup,
  // say) leave it alone; and by a widget that used a key that also has a meaning to the window
  // (Escape closing a popup), so the window does not act on it too.
  bool handled = false;
  // Or asks for focus on the focusable widget with this id, found once the frame's layout is done
  // (so it may be one that a change made by this event brings into the window).
  std::optional<std::string> focus_request_id{};

  void request_redraw() { redraw_requested = true; }
};

}  // namespace orvo_ui
