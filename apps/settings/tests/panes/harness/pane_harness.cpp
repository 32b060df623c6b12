#include "harness/pane_harness.h"

#include <functional>
#include <type_traits>
#include <variant>

#include "orvo_ui/widgets/text.h"

namespace settings::settings_app {

void PrintTo(const OperationStatus& status, std::ostream* out) {
  std::visit(
      [&](const auto& state) {
        if constexpr (requires { state.message; }) {
          *out << (std::is_same_v<std::decay_t<decltype(state)>, OperationStatus::Failed> ? "Failed{" : "Succeeded{")
               << state.key << ", " << state.message << "}";
        } else if constexpr (requires { state.key; }) {
          *out << "Running{" << state.key << "}";
        } else {
          *out << "Idle";
        }
      },
      static_cast<const OperationStatus::variant&>(status));
}

}  // namespace settings::settings_app

namespace settings::panes::testing {

using settings_app::OperationStatus;

PaneHarness::PaneHarness() : app_(std::make_unique<settings_app::SettingsApp>(home_.config() / "orvo/accounts")) {}

std::string PaneHarness::hand_over(settings_app::PaneOperation operation) const {
  std::string key = handed_operation_key(operation);
  (void)operation_cell().publish(std::move(operation));
  (void)status_cell().publish(OperationStatus::Running{key});
  return key;
}

void PaneHarness::mark_running(std::string key) const { (void)status_cell().publish(OperationStatus::Running{std::move(key)}); }

void PaneHarness::pass(orvo_ui::Widget& pane, orvo_doc::Document* frame_document) {
  orvo_ui::SyncContext context;
  context.document = frame_document;
  pane.sync(context);
}

orvo_ui::Widget* find_widget(orvo_ui::Widget& root, std::string_view id) {
  if (root.widget_id() == id) return &root;
  for (orvo_ui::Widget* child : root.children_mut()) {
    if (orvo_ui::Widget* found = find_widget(*child, id)) return found;
  }
  return nullptr;
}

std::vector<std::string> texts_of(orvo_ui::Widget& root) {
  std::vector<std::string> texts;
  std::function<void(orvo_ui::Widget&)> walk = [&](orvo_ui::Widget& widget) {
    if (auto* text = dynamic_cast<orvo_ui::Text*>(&widget)) texts.push_back(text->text());
    for (orvo_ui::Widget* child : widget.children_mut()) walk(*child);
  };
  walk(root);
  return texts;
}

PaneInALoop::PaneInALoop(orvo_ui::Widget& pane, std::uint32_t width, std::uint32_t height)
    : backend_(width, height), loop_(backend_, pane, app_, orvo_ui::TextRenderer::Metrics::Fixed) {
  frame();
}

void PaneInALoop::send(orvo_ui::Event event) {
  backend_.push(std::move(event));
  frame();
}

void PaneInALoop::click(const orvo_ui::Widget& widget) {
  // Events arrive in window pixels; the widget's rectangle is in layout points.
  const orvo_ui::Point centre = widget.get_rect().center();
  const double scale = loop_.pixel_scale();
  const orvo_ui::Point at{centre.x * scale, centre.y * scale};
  send(orvo_ui::event::PointerButton{orvo_ui::MouseButton::Primary, true, at});
  send(orvo_ui::event::PointerButton{orvo_ui::MouseButton::Primary, false, at});
}

void PaneInALoop::type(const std::string& text) { send(orvo_ui::event::TextInput{text}); }

void PaneInALoop::press(orvo_ui::NamedKey key) {
  send(orvo_ui::event::Key{key, "", true, {}});
  send(orvo_ui::event::Key{key, "", false, {}});
}

void PaneInALoop::point_at(orvo_ui::Point at) { send(orvo_ui::event::PointerMoved{at}); }

}  // namespace settings::panes::testing
