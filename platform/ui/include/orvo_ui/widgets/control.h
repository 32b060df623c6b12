#pragma once
// What Button, Toggle, Slider and Dropdown share: an id, keyboard focus, an enabled flag, an optional
// action binding whose availability the loop keeps current, the pointer state, and the layout
// rectangle. A control is enabled when its flag is set and its bound action (if any) is available;
// only an enabled control takes focus or input.
#include <optional>
#include <string>
#include <string_view>

#include "orvo_ui/action_emitter.h"
#include "orvo_ui/widget.h"

namespace orvo_ui {

class Control : public Widget {
 public:
  Rect get_rect() const override { return rect_; }
  void set_focus(bool focused) override { focused_ = focused; }
  bool has_focus() const override { return focused_; }
  bool is_focusable() const override { return is_enabled(); }
  bool is_enabled() const override;
  void set_interaction_environment(const InteractionEnvironment& environment) override;
  void refresh_control_action_availability(const ActionAvailability& availability) override;
  std::vector<ControlActionBinding> control_action_bindings() const override;
  bool has_action_control_bindings() const override { return binding_.has_value(); }
  void apply_layout(const LayoutTree& tree, NodeId node, double x, double y) override;
  void sync(SyncContext&) override {}

 protected:
  // Records the action a control is bound to (named by the control's id).
  void bind(const orvo_actions::ActionAddress& address);
  // Asks the loop for focus on a primary press inside the control; answers whether it was one.
  bool take_press(const Event& event, EventContext& context);

  std::optional<std::string> id_;
  bool focused_ = false;
  bool enabled_ = true;
  std::optional<ControlActionBinding> binding_;
  bool binding_available_ = true;
  InteractionEnvironment environment_;
  bool pointer_down_ = false;
  Rect rect_;
};

// Builder steps every control shares; each takes the control by value and gives it back changed.
template <typename Self, typename Value>
class ControlBuilder : public Control {
 public:
  [[nodiscard]] Self with_id(std::string_view id) && {
    id_ = std::string(id);
    return std::move(self());
  }
  [[nodiscard]] Self enabled(bool enabled) && {
    enabled_ = enabled;
    return std::move(self());
  }
  // From now on every change the user makes is also sent to this action.
  [[nodiscard]] Self on_action(orvo_actions::ActionBinding<Value> binding) && {
    bind(binding.address());
    emitter_.emplace(std::move(binding));
    return std::move(self());
  }

  std::optional<orvo_actions::ControlInvocation> take_control_invocation() override {
    return emitter_ ? emitter_->take() : std::nullopt;
  }
  const std::optional<ActionEmitter<Value>>& emitter() const { return emitter_; }

 protected:
  void emit(const Value& value) {
    // A value the bound action refuses still changed the control; the action is simply not run.
    if (emitter_) (void)emitter_->emit(value);
  }
  std::optional<ActionEmitter<Value>> emitter_;

 private:
  Self& self() { return static_cast<Self&>(*this); }
};

}  // namespace orvo_ui
