// The search field above the sidebar takes only valid UTF-8 and at most 256 bytes, and the state
// snapshot never fails on what was typed.
#include <gtest/gtest.h>

#include "root_support.h"
#include "settings_app/search_field.h"

namespace settings::settings_app {
namespace {

using testing::RootInALoop;

const std::string kFffd = "\xEF\xBF\xBD";

TEST(SearchFieldLimits, InvalidUtf8TypedIntoTheFieldIsReplacedAndTheSnapshotHolds) {
  RootInALoop ui;
  ui.frame();
  ui.run(ui.click_search_field() + "\ntext a\xC0\xAF" "b");
  const std::string expected = "a" + kFffd + kFffd + "b";
  EXPECT_EQ(ui.root().search_text().snapshot(), expected);
  const auto state = ui.state();  // parses: the snapshot was written, not aborted
  EXPECT_EQ(state["search_widget_text"], expected);
  EXPECT_EQ(state["synchronized_search_query"], expected);
}

TEST(SearchFieldLimits, TheQueryStopsAt256BytesAlsoForACharacterOfTwo) {
  RootInALoop ui;
  ui.frame();
  ui.run(ui.click_search_field() + "\ntext " + std::string(300, 'n'));
  EXPECT_EQ(ui.root().search_text().snapshot(), std::string(kSearchMaxBytes, 'n'));

  ui.run("key backspace\ntext \xC3\xA9");
  EXPECT_EQ(ui.root().search_text().snapshot(), std::string(kSearchMaxBytes - 1, 'n'))
      << "a two-byte character does not fit in the one byte left";
  ui.run("key backspace\ntext \xC3\xA9");
  EXPECT_EQ(ui.root().search_text().snapshot(), std::string(kSearchMaxBytes - 2, 'n') + "\xC3\xA9");
  EXPECT_EQ(ui.state()["search_caret_byte"], kSearchMaxBytes);
}

}  // namespace
}  // namespace settings::settings_app
