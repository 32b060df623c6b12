#pragma once
// An on/off switch bound to a bool cell. A click, or Space/Enter while focused, flips it: the new
// value is published into the cell and sent to the bound action, if any.
#include "orvo_ui/published_cell.h"
#include "orvo_ui/widgets/control.h"

namespace orvo_ui {

class Toggle final : public ControlBuilder<Toggle, bool> {
 public:
  static constexpr double kWidth = 44;
  static constexpr double kHeight = 24;

  static Toggle from_state(PublishedCell<bool> cell) { return Toggle(std::move(cell)); }

  bool value() const { return cell_.snapshot(); }
  const PublishedCell<bool>& cell() const { return cell_; }

  std::string_view type_name() const override { return "orvo_ui::widget::toggle::Toggle"; }
  std::string_view name() const override { return "Toggle"; }
  std::optional<std::string> widget_id() const override { return id_.value_or("toggle"); }

  NodeId build_layout(LayoutTree& tree, LayoutContext& context, NodeMap& nodes) override;
  void draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
            const PresenceContext& presence) override;
  void handle_event(const Event& event, EventContext& context) override;
  std::optional<AccessibilityNode> accessibility() const override;
  bool perform_action(const AccessibilityAction& action) override;

 private:
  explicit Toggle(PublishedCell<bool> cell) : cell_(std::move(cell)) {}
  void flip();

  PublishedCell<bool> cell_;
};

}  // namespace orvo_ui
