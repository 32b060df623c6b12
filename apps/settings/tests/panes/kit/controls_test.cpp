// Document-bound controls through the offscreen frame loop.
#include <gtest/gtest.h>

#include "harness/pane_harness.h"
#include "lib/settings_document.h"
#include "orvo_ui/widgets/toggle.h"
#include "test_pane.h"

namespace settings::panes::testing {
namespace {

using settings_app::OperationStatus;

TEST(DocumentControls, AToggleClickIsInTheDocumentBeforeThePanesNextPass) {
  PaneHarness harness;
  auto pane = make_test_pane(harness.app());
  PaneInALoop ui(*pane);
  auto* toggle = dynamic_cast<orvo_ui::Toggle*>(find_widget(*pane, kEnabledKey));
  ASSERT_NE(toggle, nullptr);
  EXPECT_EQ(pane->seen_enabled, false) << "seeded from the platform";
  const auto status_version = harness.status_cell().version();

  ui.click(*toggle);
  EXPECT_EQ(pane->seen_enabled, true);
  EXPECT_TRUE(pane->platform_enabled);
  EXPECT_EQ(lib::read_bool(*pane->own_document(), orvo_doc::kRoot, kEnabledKey), true);
  EXPECT_EQ(harness.status_cell().version(), status_version) << "a click with no operation publishes nothing";
  EXPECT_EQ(harness.status(), OperationStatus(OperationStatus::Idle{}));
}

TEST(DocumentControls, ARefusedSwitchShowsTheWrittenBackValueInThatFrame) {
  PaneHarness harness;
  auto pane = make_test_pane(harness.app());
  pane->platform_refuses = true;
  PaneInALoop ui(*pane);
  auto* toggle = dynamic_cast<orvo_ui::Toggle*>(find_widget(*pane, kEnabledKey));
  ASSERT_NE(toggle, nullptr);

  ui.click(*toggle);
  EXPECT_EQ(pane->seen_enabled, true) << "the pass saw the click";
  EXPECT_FALSE(toggle->value()) << "and the toggle shows the state the platform kept";
  EXPECT_EQ(lib::read_bool(*pane->own_document(), orvo_doc::kRoot, kEnabledKey), false);
}

TEST(DocumentControls, APressIsActedOnOnceAndATextFieldEditsItsTextObject) {
  PaneHarness harness;
  auto pane = make_test_pane(harness.app());
  PaneInALoop ui(*pane);
  orvo_ui::Widget* button = find_widget(*pane, "test.refresh.button");
  ASSERT_NE(button, nullptr);
  ui.click(*button);
  ui.frame();
  ui.frame();
  EXPECT_EQ(pane->refreshes, 1);
  EXPECT_EQ(lib::read_bool(*pane->own_document(), orvo_doc::kRoot, kRefreshKey), false);

  orvo_ui::Widget* field = find_widget(*pane, kNameKey);
  ASSERT_NE(field, nullptr);
  ui.click(*field);
  ui.type("Ada");
  ui.type(" L");
  ui.frame();
  const orvo_doc::Document& document = *pane->own_document();
  auto stored = document.get(orvo_doc::kRoot, kNameKey);
  ASSERT_TRUE(stored.has_value() && stored->has_value());
  const auto* object = std::get_if<orvo_doc::ObjectRef>(&**stored);
  ASSERT_NE(object, nullptr) << "a Text object, not a string";
  EXPECT_EQ(object->type, orvo_doc::ObjType::Text);
  EXPECT_EQ(document.text(object->id).value_or(""), "Ada L");
  EXPECT_EQ(pane->controls().size(), 4u) << "rebuilt views share their keys' cells";
}

}  // namespace
}  // namespace settings::panes::testing
