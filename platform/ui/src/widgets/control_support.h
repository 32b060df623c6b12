#pragma once
// Pieces the interactive controls share: the focus ring, the binding availability slot, activation
// keys and UTF-8 caret steps.
#include <cstddef>
#include <optional>
#include <string_view>

#include "orvo_ui/widget.h"

namespace orvo_ui::control_support {

// A ring drawn just outside the control's outline when it has keyboard focus.
void draw_focus_ring(Scene& scene, const Affine& transform, const Rect& rect, const Theme& theme, double radius);

// The action binding a control stands for and whether its action is available right now; a control
// without a binding counts as available.
struct BindingSlot {
  std::optional<ControlActionBinding> binding;
  bool available = true;

  bool is_available() const { return !binding || available; }
  void refresh(const ActionAvailability& availability) {
    if (binding) available = availability.is_available(*binding);
  }
};

// A pressed Space or Enter with no modifier that would make it a shortcut.
bool is_activation_key(const event::Key& key);

// A press of the primary button inside the rectangle.
bool is_primary_press_inside(const Event& event, const Rect& rect, double scale_factor);

// Byte offsets of the neighbouring code-point boundaries (clamped to the text).
std::size_t next_boundary(std::string_view text, std::size_t offset);
std::size_t previous_boundary(std::string_view text, std::size_t offset);

// Colour of a control's text or fill when the control is disabled.
Color dimmed(Color color);

}  // namespace orvo_ui::control_support
