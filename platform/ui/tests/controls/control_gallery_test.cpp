// Renders the control page in its states for a person to look at. Runs only when
// ORVO_CONTROLS_PNG_DIR names a folder; writes controls-editing.png and controls-open.png there.
#include <gtest/gtest.h>

#include <cstdlib>

#include "control_harness.h"
#include "control_page.h"

namespace orvo_ui {
namespace {

TEST(ControlGallery, RendersEveryControlInItsStates) {
  const char* dir = std::getenv("ORVO_CONTROLS_PNG_DIR");
  if (!dir) GTEST_SKIP() << "set ORVO_CONTROLS_PNG_DIR to write the pictures";
  testing::ControlPage page;
  testing::ControlHarness ui(page.build(), 560, 500, TextRenderer::Metrics::Fonts);
  ui.click(*page.tap_toggle);  // on
  ui.click(*page.field);
  ui.type(" Lovelace");
  ui.key(NamedKey::Left);
  ASSERT_TRUE(ui.backend.frame().write_png(std::string(dir) + "/controls-editing.png"));

  ui.click(*page.dropdown);
  ASSERT_TRUE(page.dropdown->is_open());
  ui.send(event::PointerMoved{page.dropdown->entry_rect(1).center()});
  ASSERT_TRUE(ui.backend.frame().write_png(std::string(dir) + "/controls-open.png"));
}

}  // namespace
}  // namespace orvo_ui
