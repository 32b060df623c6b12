#include "orvo_ui/widgets/control.h"

#include "widgets/control_support.h"
#include "widgets/node_support.h"

namespace orvo_ui {

bool Control::is_enabled() const {
  if (!enabled_) return false;
  if (!binding_) return true;
  return binding_available_;
}

void Control::set_interaction_environment(const InteractionEnvironment& environment) {
  environment_ = environment;
  if (environment.flags & InteractionEnvironment::kPointerReset) pointer_down_ = false;
}

void Control::refresh_control_action_availability(const ActionAvailability& availability) {
  if (binding_) binding_available_ = availability.is_available(*binding_);
}

std::vector<ControlActionBinding> Control::control_action_bindings() const {
  if (!binding_) return semantic_action_bindings(accessibility());
  // Named by the id the control has now (builder steps may set the id after the binding).
  ControlActionBinding named = *binding_;
  named.name = widget_id().value_or("");
  return {named};
}

void Control::apply_layout(const LayoutTree& tree, NodeId node, double x, double y) {
  rect_ = node_support::laid_out_rect(tree, node, x, y);
}

void Control::bind(const orvo_actions::ActionAddress& address) {
  binding_ = ControlActionBinding{widget_id().value_or(""), std::pair{address.resource, address.action}};
}

bool Control::take_press(const Event& event, EventContext& context) {
  if (context.handled || !is_enabled()) return false;
  if (!control_support::is_primary_press_inside(event, rect_, context.scale_factor)) return false;
  if (!focused_) context.focus_request = context.node;
  context.handled = true;
  context.request_redraw();
  return true;
}

}  // namespace orvo_ui
