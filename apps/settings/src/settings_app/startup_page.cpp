#include "settings_app/startup_page.h"

namespace settings::settings_app {

using namespace orvo_ui;

std::optional<std::string> StartupPage::state_json() {
  return R"({"app_id":"so.orvo.settings","page":"startup"})";
}

NodeId StartupPage::build_layout(LayoutTree& tree, LayoutContext&, NodeMap& nodes) {
  Style style;
  style.width = Dimension::percent(1.0f);
  style.height = Dimension::percent(1.0f);
  NodeId node = tree.new_leaf(style).value_or(0);
  nodes[node] = this;
  return node;
}

void StartupPage::apply_layout(const LayoutTree& tree, NodeId node, double x, double y) {
  auto layout = tree.layout(node);
  if (!layout) {
    rect_ = {x, y, x, y};
    return;
  }
  rect_ = Rect::from_origin_size(x + layout->x, y + layout->y, layout->size.width, layout->size.height);
}

void StartupPage::draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme, const PresenceContext&) {
  constexpr float kTitleSize = 28;
  const std::string_view title = "Settings";
  Size measured = text.measure(title, false, kTitleSize, 0, true);
  double x = rect_.center().x - measured.width / 2;
  double y = rect_.center().y - measured.height / 2;
  text.draw_text(scene, title, false, kTitleSize, 0, theme.text, transform * Affine::translate(x, y), true);
}

std::optional<AccessibilityNode> StartupPage::accessibility() const {
  return AccessibilityNode{}.with_label("Settings").with_id("settings.app");
}

}  // namespace settings::settings_app
