#pragma once
// A configurable widget for exercising the provided operations over a small tree.
#include <memory>
#include <vector>

#include "orvo_ui/widget.h"

namespace orvo_ui::testing {

class TestWidget : public Widget {
 public:
  explicit TestWidget(std::string id = "") : id_(std::move(id)) {}

  TestWidget& add(std::unique_ptr<TestWidget> child) {
    kids_.push_back(std::move(child));
    return *kids_.back();
  }
  TestWidget& child(std::size_t i) { return *kids_[i]; }

  std::string_view type_name() const override { return "orvo_ui::testing::TestWidget"; }
  std::string_view name() const override { return "TestWidget"; }
  std::optional<std::string> widget_id() const override { return id_; }

  void sync(SyncContext&) override { ++syncs; }
  NodeId build_layout(LayoutTree& tree, LayoutContext& context, NodeMap& nodes) override {
    std::vector<NodeId> ids;
    for (auto& k : kids_) ids.push_back(k->build_layout(tree, context, nodes));
    Style style;
    style.direction = FlexDirection::Column;
    if (kids_.empty()) style.height = Dimension::points(10);
    NodeId node = tree.new_with_children(style, ids).value_or(0);
    nodes[node] = this;
    return node;
  }
  void apply_layout(const LayoutTree& tree, NodeId node, double x, double y) override {
    auto l = tree.layout(node);
    if (!l) return;
    rect = Rect::from_origin_size(x + l->x, y + l->y, l->size.width, l->size.height);
    auto ids = tree.children(node).value_or(std::vector<NodeId>{});
    for (std::size_t i = 0; i < ids.size() && i < kids_.size(); ++i) kids_[i]->apply_layout(tree, ids[i], rect.x0, rect.y0);
  }
  void draw(Scene& scene, Affine transform, TextRenderer&, const Theme& theme, const PresenceContext&) override {
    ++draws;
    scene.fill(RoundedRect::from_rect(rect, 0), theme.surface, transform);
  }
  void handle_event(const Event&, EventContext&) override {}
  Rect get_rect() const override { return rect; }

  std::vector<const Widget*> children() const override {
    ++children_calls;
    std::vector<const Widget*> out;
    for (const auto& k : kids_) out.push_back(k.get());
    return out;
  }
  std::vector<Widget*> children_mut() override {
    std::vector<Widget*> out;
    for (auto& k : kids_) out.push_back(k.get());
    return out;
  }

  // Leaf answers, used when set.
  std::optional<bool> redraw;
  std::optional<Deadline> deadline;
  std::optional<std::string> tooltip;
  std::optional<orvo_actions::ControlInvocation> pending;
  std::optional<AccessibilityNode> node;
  std::vector<std::string> kinds;
  std::optional<InvokeAnswer> invoke_answer;
  std::optional<StartAnswer> start_answer;
  bool subtree_flag = false;
  bool action_result = false;

  mutable int asked = 0;
  mutable int children_calls = 0;
  int syncs = 0;
  int draws = 0;
  int actions = 0;
  Rect rect;

  bool needs_redraw() const override {
    ++asked;
    return redraw ? *redraw : Widget::needs_redraw();
  }
  std::optional<Deadline> next_wake_deadline() const override {
    return kids_.empty() ? deadline : Widget::next_wake_deadline();
  }
  std::optional<std::string> tooltip_text() const override { return tooltip; }
  std::optional<orvo_actions::ControlInvocation> take_control_invocation() override {
    ++asked;
    if (pending) return std::exchange(pending, std::nullopt);
    return Widget::take_control_invocation();
  }
  std::optional<AccessibilityNode> accessibility() const override { return node; }
  std::vector<std::string> operation_kinds() const override { return kinds; }
  bool take_subtree_flag() const override {
    ++asked;
    return kids_.empty() ? subtree_flag : Widget::take_subtree_flag();
  }
  bool perform_action(const AccessibilityAction&) override {
    ++actions;
    return action_result;
  }
  InvokeAnswer invoke_resource_operation(OperationClass cls, std::string_view kind, std::string_view payload,
                                         orvo_doc::Document* doc) override {
    ++asked;
    if (invoke_answer) return *invoke_answer;
    return Widget::invoke_resource_operation(cls, kind, payload, doc);
  }
  StartAnswer start_resource_operation_with_document(const RequestId& id, OperationClass cls, std::string_view kind,
                                                     std::string_view payload, orvo_doc::Document* doc) override {
    ++asked;
    if (start_answer) return *start_answer;
    return Widget::start_resource_operation_with_document(id, cls, kind, payload, doc);
  }

 private:
  std::string id_;
  std::vector<std::unique_ptr<TestWidget>> kids_;
};

inline std::unique_ptr<TestWidget> make(std::string id = "") { return std::make_unique<TestWidget>(std::move(id)); }

}  // namespace orvo_ui::testing
