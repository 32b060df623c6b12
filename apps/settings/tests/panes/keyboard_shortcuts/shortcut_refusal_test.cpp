// A refused recording says why under its recorder: the shortcut that already holds the chord.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "harness/frame_pane.h"
#include "harness/pane_harness.h"
#include "harness/pane_home.h"
#include "orvo_doc/document.h"
#include "orvo_ui/layout.h"
#include "orvo_ui/text.h"
#include "panes/keyboard_shortcuts/shortcut_pane.h"
#include "panes/setting_sync.h"

namespace settings::panes::keyboard_shortcuts {
namespace {

using orvo_doc::ScalarValue;

constexpr std::string_view kLock = "shortcuts.lock";

struct PaneFixture : testing::FramePane<ShortcutPane> {
  PaneFixture() {
    pane = ShortcutPane::load();
    pass();
  }
  void record(std::string_view chord) {
    put(edit_key(kLock), ScalarValue::str(std::string(chord)));
    pass();
  }
  // Whether the view, built as a layout builds it, shows the text.
  bool shows(const std::string& text) {
    orvo_ui::LayoutTree tree;
    orvo_ui::NodeMap nodes;
    orvo_ui::TextRenderer renderer(orvo_ui::TextRenderer::Metrics::Fixed);
    orvo_ui::LayoutContext context{1.0f, 14.0f, &renderer, {1280, 800}};
    pane->build_layout(tree, context, nodes);
    const auto texts = testing::texts_of(*pane);
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  }
};

TEST(ShortcutRefusal, TheSentenceNamesTheShortcutHoldingTheChordAndGoesOnSuccess) {
  PaneFixture f;
  EXPECT_EQ(f.pane->refusal(kLock), std::nullopt);
  struct Case {
    const char* chord;
    const char* sentence;
  };
  for (const Case& c : {Case{"super+space", "Could not use Super+Space: it is already the shortcut for \u201cOpen search\u201d."},
                        Case{"Super+Tab", "Could not use Super+Tab: it is already the shortcut for \u201cWorkspace overview\u201d."}}) {
    f.record(c.chord);
    EXPECT_EQ(f.pane->refusal(kLock), c.sentence) << c.chord;
    EXPECT_TRUE(f.shows(c.sentence)) << c.chord;
    EXPECT_EQ(f.get("shortcuts.lock.error"), ScalarValue::boolean(true));
  }
  // An unparsable chord says so too.
  f.record("Super+Nope");
  ASSERT_TRUE(f.pane->refusal(kLock));
  EXPECT_TRUE(f.pane->refusal(kLock)->starts_with("Could not use Super+Nope: ")) << *f.pane->refusal(kLock);

  f.record("Super+Ctrl+Q");
  EXPECT_EQ(f.pane->refusal(kLock), std::nullopt);
  EXPECT_FALSE(f.shows("Could not use Super+Tab: it is already the shortcut for \u201cWorkspace overview\u201d."));
}

}  // namespace
}  // namespace settings::panes::keyboard_shortcuts
