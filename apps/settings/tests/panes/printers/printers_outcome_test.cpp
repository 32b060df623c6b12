// Each queue row has keys of its own, so a press acts on its own queue even when two names differ
// only in what the key form drops; its outcome shows on the page; a Remove from outside marks the
// queue as the row does.
#include <gtest/gtest.h>

#include "fake_printing.h"
#include "harness/pane_harness.h"
#include "panes/printers/printer_keys.h"
#include "panes/printers/printers_pane.h"

namespace settings::panes::printers {
namespace {

using panes::testing::PaneHarness;
using settings_app::OperationStatus;
using Op = actions::PrinterOperation;

TEST(PrinterOutcomes, KeysTellQueuesApartAndRemoveWaitsForTheConfirmation) {
  PaneHarness harness;
  auto backend = std::make_shared<testing::FakePrinting>();
  auto workers = std::make_shared<testing::HeldWorkers>();
  auto clock = std::make_shared<testing::TestClock>();
  backend->set_queues(std::vector{testing::queue("Office-1"), testing::queue("Office_1"), testing::queue("Photo")});
  backend->set_jobs(std::vector{testing::job("Office-1-7"), testing::job("Office_1-7")});
  PrintersPane pane = PrintersPane(testing::services_of(backend, workers, clock))
                          .with_pane_operation(harness.operation_cell())
                          .with_operation_status(harness.status_cell());
  const auto settle = [&] {
    for (int i = 0; i < 20; ++i) {
      PaneHarness::pass(pane);
      if (workers->run_all() == 0) break;
    }
    PaneHarness::pass(pane);
  };
  const auto press = [&](const std::string& key) {
    ASSERT_TRUE(pane.own_document()->put(orvo_doc::kRoot, key, orvo_doc::ScalarValue::boolean(true)));
    settle();
  };
  settle();

  const std::vector<std::string> names{"Office-1", "Office_1", "Photo"};
  const std::vector<std::string> ids{"Office-1-7", "Office_1-7"};
  EXPECT_NE(printer_queue_key("default", "Office-1", names), printer_queue_key("default", "Office_1", names));
  EXPECT_EQ(printer_queue_key("default", "Photo", names), "settings.printers.default.photo") << "a unique slug stays";
  EXPECT_NE(print_job_key("cancel", "Office-1-7", ids), print_job_key("cancel", "Office_1-7", ids));

  struct Case {
    std::string key;
    std::string change;
  };
  for (const Case& c : {Case{printer_queue_key("default", "Office_1", names), "default Office_1"},
                        Case{printer_queue_key("enabled", "Office-1", names), "pause Office-1"},
                        Case{print_job_key("cancel", "Office_1-7", ids), "cancel Office_1-7"}}) {
    press(c.key);
    ASSERT_FALSE(backend->changes().empty()) << c.key;
    EXPECT_EQ(backend->changes().back(), c.change) << c.key;
    EXPECT_EQ(pane.action_success(), std::string(kCompleted)) << "the page says the change went through";
  }
  backend->fail_changes("printer is busy");
  press(printer_queue_key("default", "Photo", names));
  EXPECT_EQ(pane.action_success(), std::nullopt);
  EXPECT_EQ(pane.notice(), "printer is busy");
  backend->fail_changes(std::nullopt);

  // From outside as from the row: Remove marks the queue; nothing is removed before the confirmation.
  const std::size_t before = backend->changes().size();
  const std::string key = harness.hand_over(Op(Op::Remove{"Office_1"}));
  settle();
  EXPECT_EQ(harness.status(),
            OperationStatus(OperationStatus::Succeeded{key, fmt::format(fmt::runtime(kRemovalAsked), "Office_1")}));
  EXPECT_EQ(pane.pending_removal(), "Office_1");
  EXPECT_EQ(backend->changes().size(), before);
  press(printer_queue_key("confirm_remove", "Office_1", names));
  EXPECT_EQ(backend->changes().back(), "remove Office_1");
}

}  // namespace
}  // namespace settings::panes::printers
