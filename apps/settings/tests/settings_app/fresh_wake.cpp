// A frame loop that ends shuts the process's wake down, after which cells refuse publications.
// Tests that use cells without a loop start each from a fresh wake with no loop installed.
#include <gtest/gtest.h>

#include "orvo_ui/wake.h"

namespace {

class FreshWake : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { orvo_ui::wake::install(nullptr); }
};

const bool kInstalled = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new FreshWake);
  return true;
}();

}  // namespace
