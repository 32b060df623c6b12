#pragma once
// A push button with a text label. A click (press and release inside) or Space/Enter while focused
// presses it: its handler runs and its bound action, if any, is sent.
//
// A button can also be pressed through the action system: it then publishes a resource of its own
// (`with_control_resource`) whose "invoke" action carries the operation "orvo.ui.control.invoke" with
// the button's id as a JSON string, and its invoke handler (`on_invoke`) runs when that operation
// reaches it. Bound to that same action, a press runs the invoke handler once, through the operation.
#include <functional>
#include <string>

#include "orvo_ui/widgets/control.h"

namespace orvo_ui {

class Button final : public ControlBuilder<Button, orvo_actions::Unit> {
 public:
  Button(std::string id, std::string label) : label_(std::move(label)) { id_ = std::move(id); }

  [[nodiscard]] Button with_tooltip(std::string_view tooltip) &&;
  // What assistive technology calls the button when its label is a symbol ("↑"); the label otherwise.
  [[nodiscard]] Button with_accessible_name(std::string_view name) &&;
  [[nodiscard]] Button on_press(std::function<void()> handler) &&;
  // At least this size, the label centred in it; a longer label still widens the button, so it is
  // never cut.
  [[nodiscard]] Button with_min_size(float width, float height) &&;
  // Replaces the resource the button publishes for itself.
  [[nodiscard]] Button with_control_resource(orvo_actions::Resource resource) &&;
  // Replaces what runs when the button's own invoke operation reaches it.
  [[nodiscard]] Button on_invoke(std::function<void()> handler) &&;

  const std::string& label() const { return label_; }

  std::string_view type_name() const override { return "orvo_ui::widget::button::Button"; }
  std::string_view name() const override { return "Button"; }
  std::optional<std::string> widget_id() const override { return id_.value_or(""); }
  std::optional<CursorKind> cursor_at(Point point) const override {
    return rect_.contains(point) ? std::optional(cursor::kPointer) : std::nullopt;
  }
  std::optional<std::string> tooltip_text() const override { return tooltip_; }
  void mark_drawn() override { redraw_ = false; }
  bool needs_redraw() const override { return redraw_; }

  NodeId build_layout(LayoutTree& tree, LayoutContext& context, NodeMap& nodes) override;
  Size measure(KnownSize known, AvailableSize available, TextRenderer& text) override;
  void draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
            const PresenceContext& presence) override;
  void handle_event(const Event& event, EventContext& context) override;
  void set_focus(bool focused) override;
  std::optional<AccessibilityNode> accessibility() const override;
  bool perform_action(const AccessibilityAction& action) override;
  std::vector<orvo_actions::Resource> resources() override;
  std::unordered_set<std::string> resource_operation_handlers() const override;
  InvokeV2Answer invoke_resource_operation_v2(OperationClass cls, std::string_view kind, std::string_view payload,
                                              orvo_doc::Document* document) override;

 private:
  void press();

  std::string label_;
  std::optional<Size> min_size_;
  std::optional<std::string> tooltip_;
  std::optional<std::string> accessible_name_;
  std::function<void()> handler_;
  std::optional<orvo_actions::Resource> control_resource_;
  std::function<void()> invoke_handler_;
  bool redraw_ = true;
};

}  // namespace orvo_ui
