#include <gtest/gtest.h>

#include <algorithm>

#include "test_widget.h"

namespace orvo_ui {
namespace {

using testing::make;
using testing::TestWidget;

TEST(WidgetFolds, LeafIsDirtyAndParentAsksUntilFirstTrue) {
  TestWidget leaf;
  EXPECT_TRUE(leaf.needs_redraw());
  EXPECT_TRUE(leaf.is_layout_dirty());
  EXPECT_TRUE(leaf.layout_needs_measure());
  EXPECT_FALSE(leaf.needs_commit());
  EXPECT_FALSE(leaf.needs_animation_frame());

  TestWidget parent;
  auto& a = parent.add(make());
  auto& b = parent.add(make());
  a.redraw = true;
  b.redraw = true;
  EXPECT_TRUE(parent.needs_redraw());
  EXPECT_EQ(b.asked, 0) << "no child is asked after the first true";

  a.redraw = false;
  b.redraw = false;
  EXPECT_FALSE(parent.needs_redraw());
  EXPECT_EQ(b.asked, 1);
}

TEST(WidgetFolds, TakeSubtreeFlagAsksEveryChild) {
  TestWidget parent;
  auto& a = parent.add(make());
  auto& b = parent.add(make());
  a.subtree_flag = true;
  EXPECT_TRUE(parent.take_subtree_flag());
  EXPECT_EQ(a.asked, 1);
  EXPECT_EQ(b.asked, 1) << "every child takes its flag, even after a true";
}

TEST(WidgetSearches, TakeControlInvocationLeavesLaterChildrenForTheNextCall) {
  TestWidget parent;
  auto& a = parent.add(make());
  auto& b = parent.add(make());
  a.pending = orvo_actions::ControlInvocation{"first", "set", "{}"};
  b.pending = orvo_actions::ControlInvocation{"second", "set", "{}"};

  auto first = parent.take_control_invocation();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->resource_id, "first");
  EXPECT_EQ(b.asked, 0);

  auto second = parent.take_control_invocation();
  ASSERT_TRUE(second);
  EXPECT_EQ(second->resource_id, "second");
  EXPECT_FALSE(parent.take_control_invocation());
}

TEST(WidgetScheduling, EarliestDeadlineWins) {
  TestWidget parent;
  parent.add(make()).deadline = Deadline{5, 10};
  parent.add(make());  // none is skipped
  parent.add(make()).deadline = Deadline{5, 3};
  parent.add(make()).deadline = Deadline{6, 0};
  EXPECT_EQ(parent.next_wake_deadline(), (Deadline{5, 3}));

  TestWidget quiet;
  quiet.add(make());
  EXPECT_FALSE(quiet.next_wake_deadline());
  EXPECT_FALSE(TestWidget{}.next_wake_deadline());
  EXPECT_LT((Deadline{-1, 999}), (Deadline{0, 0}));
}

TEST(WidgetDrawing, DamageIsTheWholeRectOfAWidgetThatNeedsRedraw) {
  TestWidget leaf;
  leaf.rect = {1, 2, 3, 4};
  std::vector<Rect> damage;
  leaf.collect_damage(damage);
  leaf.collect_damage(damage);
  EXPECT_EQ(damage, (std::vector<Rect>{{1, 2, 3, 4}, {1, 2, 3, 4}}));

  TestWidget parent;
  parent.rect = {0, 0, 10, 10};
  parent.add(make()).redraw = false;
  damage.clear();
  parent.collect_damage(damage);
  EXPECT_TRUE(damage.empty());
}

TEST(WidgetDrawing, ClipTestSkipsWidgetsWithNoAreaInTheClip) {
  struct Case {
    Rect widget;
    std::optional<Rect> clip;
    bool drawn;
  };
  const Case cases[] = {
      {{0, 0, 10, 10}, Rect{5, 5, 20, 20}, true},
      {{0, 0, 10, 10}, Rect{10, 0, 20, 10}, false},  // touches the clip's left edge
      {{0, 0, 10, 10}, Rect{0, 10, 10, 20}, false},  // touches the top edge
      {{5, 5, 5, 9}, Rect{0, 0, 20, 20}, false},     // no area of its own
      {{30, 30, 40, 40}, Rect{0, 0, 20, 20}, false},
      {{30, 30, 40, 40}, std::nullopt, true},        // no clip draws everything
  };
  for (const auto& c : cases) {
    TestWidget w;
    w.rect = c.widget;
    Scene scene;
    TextRenderer text(TextRenderer::Metrics::Fixed);
    w.draw_with_presence(scene, Affine::identity(), text, Theme::dark(), PresenceContext{c.clip});
    EXPECT_EQ(w.draws, c.drawn ? 1 : 0) << c.widget.x0 << "," << c.widget.y0;
  }
}

TEST(WidgetPointer, TooltipAtIsHalfOpenAndNeedsText) {
  TestWidget w;
  w.rect = {0, 0, 10, 10};
  w.tooltip = "Hint";
  auto inside = w.tooltip_at({0, 0});
  ASSERT_TRUE(inside);
  EXPECT_EQ(inside->first, w.rect);
  EXPECT_EQ(inside->second, "Hint");
  EXPECT_FALSE(w.tooltip_at({10, 5}));
  EXPECT_FALSE(w.tooltip_at({5, 10}));
  w.tooltip = "";
  EXPECT_FALSE(w.tooltip_at({5, 5}));
}

TEST(WidgetActions, KeyActionIdentifiers) {
  struct Case {
    std::string_view identifier;
    bool reaches_action;
  };
  const Case cases[] = {
      {"orvo.key-action:save:0/2", true},
      {"orvo.key-action:a:b:1", true},  // the name is "a:b"
      {"orvo.key-action::7", true},
      {"orvo.key-action:save:18446744073709551615", true},
      {"orvo.key-action:save", false},
      {"orvo.key-action:save:", false},
      {"orvo.key-action:save:1/x", false},
      {"orvo.key-action:save:-1", false},
      {"orvo.key-action:save:1//2", false},
      {"orvo.key-action:save:18446744073709551616", false},
      {"other.key-action:save:0", false},
  };
  for (const auto& c : cases) {
    TestWidget w;
    w.action_result = true;
    EXPECT_EQ(w.perform_key_action(c.identifier, a11y::Activate{}), c.reaches_action) << c.identifier;
    EXPECT_EQ(w.actions, c.reaches_action ? 1 : 0) << c.identifier;
  }
  TestWidget keeps_default_action;
  EXPECT_FALSE(keeps_default_action.Widget::perform_key_action("orvo.key-action:save:0", a11y::Activate{}));
}

TEST(WidgetActions, BindingsListOwnThenChildrenInOrder) {
  auto node_for = [](std::string label, std::string resource) {
    return AccessibilityNode{}.with_label(label).with_activation_address(
        orvo_actions::ActionAddress{std::move(resource), "open"}.encode());
  };
  TestWidget parent;
  parent.node = node_for("Parent", "p");
  parent.add(make()).node = node_for("First", "a");
  parent.add(make()).node = node_for("Second", "b");
  auto bindings = parent.control_action_bindings();
  ASSERT_EQ(bindings.size(), 3u);
  EXPECT_EQ(bindings[0].name, "Parent");
  EXPECT_EQ(bindings[1].name, "First");
  EXPECT_EQ(bindings[2].name, "Second");
  EXPECT_EQ(bindings[1].target, (decltype(bindings[1].target){std::pair<std::string, std::string>{"a", "open"}}));
  EXPECT_TRUE(parent.has_action_control_bindings());
  EXPECT_FALSE(TestWidget{}.has_action_control_bindings());
}

TEST(WidgetResources, OperationKindsAreMergedOnce) {
  TestWidget parent;
  parent.kinds = {"k.one", "k.shared"};
  parent.add(make()).kinds = {"k.shared", "k.two"};
  parent.add(make()).kinds = {"k.shared"};
  auto set = parent.resource_operation_handlers();
  std::vector<std::string> sorted(set.begin(), set.end());
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, (std::vector<std::string>{"k.one", "k.shared", "k.two"}));
}

TEST(WidgetResources, InvokeChain) {
  const auto no_class = OperationClass::Setting;
  TestWidget parent;
  auto& a = parent.add(make());
  a.invoke_answer = Handled{true};
  EXPECT_EQ(parent.invoke_resource_operation(no_class, "k", "{}", nullptr), InvokeAnswer{Handled{false}});
  EXPECT_EQ(a.asked, 0) << "class 0 asks no child";

  EXPECT_EQ(parent.invoke_resource_operation(OperationClass::Effect, "k", "{}", nullptr), InvokeAnswer{Handled{true}});
  EXPECT_EQ(parent.invoke_resource_operation_v2(OperationClass::Effect, "k", "{}", nullptr),
            (InvokeV2Answer{std::in_place, OperationOutcome{}}));

  a.invoke_answer = InvokeError{"nope"};
  EXPECT_EQ(parent.invoke_resource_operation_v2(OperationClass::Effect, "k", "{}", nullptr),
            (InvokeV2Answer{std::in_place, InvokeError{"nope"}}));
  EXPECT_EQ(parent.start_resource_operation(RequestId{}, OperationClass::Effect, "k", "{}", nullptr),
            StartAnswer{start::Rejected{"nope"}});

  a.invoke_answer = Handled{false};
  EXPECT_EQ(parent.invoke_resource_operation_v2(OperationClass::Effect, "k", "{}", nullptr), InvokeV2Answer{});
  EXPECT_EQ(parent.start_resource_operation(RequestId{}, OperationClass::Effect, "k", "{}", nullptr),
            StartAnswer{start::NotHandled{}});
  EXPECT_EQ(TestWidget{}.start_resource_operation(RequestId{}, OperationClass::Effect, "k", "{}", nullptr),
            StartAnswer{start::NotHandled{}});
}

TEST(WidgetResources, RejectedChildStopsTheStartWalk) {
  TestWidget parent;
  auto& a = parent.add(make());
  auto& b = parent.add(make());
  a.start_answer = start::Rejected{"busy"};
  b.start_answer = start::InFlight{};
  EXPECT_EQ(parent.start_resource_operation_with_document(RequestId{}, OperationClass::Effect, "k", "{}", nullptr),
            StartAnswer{start::Rejected{"busy"}});
  EXPECT_EQ(b.asked, 0);

  a.start_answer.reset();
  EXPECT_EQ(parent.start_resource_operation_with_document(RequestId{}, OperationClass::Effect, "k", "{}", nullptr),
            StartAnswer{start::InFlight{}});
}

TEST(WidgetSearches, RevealDescendant) {
  TestWidget parent;
  auto& a = parent.add(make());
  auto& grandchild = a.add(make());
  TestWidget stranger;
  EXPECT_TRUE(parent.reveal_descendant(&a));
  EXPECT_EQ(a.children_calls, 0) << "a child that is the target is not asked";
  EXPECT_TRUE(parent.reveal_descendant(&grandchild));
  EXPECT_FALSE(parent.reveal_descendant(&stranger));
}

TEST(Accessibility, KeyedIdentityHashesTextAndTrailingByte) {
  // FNV-1a 64 over 61 62 63 FF.
  std::uint64_t h = 0xcbf29ce484222325ULL;
  for (unsigned char c : {0x61, 0x62, 0x63, 0xff}) h = (h ^ c) * 0x100000001b3ULL;
  auto node = AccessibilityNode{}.with_activation_address("abc");
  EXPECT_EQ(node.key, h);
  EXPECT_EQ(node.id, "abc");
  EXPECT_EQ(node.activation_address, "abc");
  EXPECT_EQ(keyed_identity_hash(""), (0xcbf29ce484222325ULL ^ 0xff) * 0x100000001b3ULL);
  AccessibilityNode blank;
  EXPECT_EQ(blank.role, role::kGeneric);
  EXPECT_FALSE(blank.key);
}

}  // namespace
}  // namespace orvo_ui
