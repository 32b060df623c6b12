// The pane glue and the small helpers of the kit.
#include <gtest/gtest.h>

#include <array>

#include "harness/pane_harness.h"
#include "orvo_log/log.h"
#include "orvo_ui/widgets/toggle.h"
#include "panes/choices.h"
#include "panes/control_binding.h"
#include "test_pane.h"

namespace settings::panes::testing {
namespace {

TEST(PaneGlue, StructureDirtyAnswersOnceAndEventsWithoutAViewAreNotConsumed) {
  PaneHarness harness;
  auto pane = make_test_pane(harness.app());
  EXPECT_EQ(pane->name(), "TestPane");
  EXPECT_TRUE(pane->children().empty());

  orvo_ui::EventContext context;
  pane->handle_event(orvo_ui::event::PointerButton{orvo_ui::MouseButton::Primary, true, {10, 10}}, context);
  EXPECT_FALSE(context.handled);
  EXPECT_FALSE(context.redraw_requested);
  EXPECT_FALSE(context.focus_request.has_value());

  EXPECT_FALSE(pane->take_structure_dirty());
  pane->touch_structure();
  EXPECT_TRUE(pane->take_structure_dirty());
  EXPECT_FALSE(pane->take_structure_dirty());

  PaneInALoop ui(*pane);
  EXPECT_EQ(pane->children().size(), 1u);
  EXPECT_EQ(pane->get_rect().width(), 480) << "the view fills the pane";
}

TEST(PaneGlue, AMissingBindingGivesAnUnboundControlAndOneWarning) {
  orvo_log::CaptureScope capture;
  DocumentControls controls;
  orvo_ui::Toggle toggle = bind_or_warn(controls.toggle("power.auto_suspend"),
                                        std::optional<orvo_actions::ActionBinding<bool>>{},
                                        "automatic-suspend action is part of the static resource contract");
  EXPECT_FALSE(toggle.has_action_control_bindings());
  EXPECT_EQ(toggle.widget_id(), "power.auto_suspend");
  EXPECT_EQ(capture.count("automatic-suspend action is part of the static resource contract"), 1u);
  EXPECT_EQ(capture.events().size(), 1u);
}

TEST(NearestChoiceByValue, NearestWinsAndTheEarlierEntryWinsATie) {
  constexpr std::array<ValueChoice, 4> kWarmth{{{"Warm", 2700}, {"Neutral", 3400}, {"Cool", 4100}, {"Colder", 4100}}};
  struct Case {
    std::uint32_t target;
    std::string_view label;
  };
  for (const Case& c : {Case{0, "Warm"}, Case{3050, "Warm"}, Case{3051, "Neutral"}, Case{3750, "Neutral"},
                        Case{4100, "Cool"}, Case{4294967295u, "Cool"}}) {
    auto nearest = nearest_choice_by_value(kWarmth, c.target);
    ASSERT_TRUE(nearest.has_value());
    EXPECT_EQ(nearest->label, c.label) << c.target;
  }
  EXPECT_FALSE(nearest_choice_by_value({}, 5).has_value());
}

}  // namespace
}  // namespace settings::panes::testing
