#include "panes/printers/printers_pane.h"

#include <gtest/gtest.h>

#include "fake_printing.h"
#include "harness/pane_harness.h"
#include "panes/printers/printer_keys.h"

namespace settings::panes::printers {
namespace {

using namespace std::chrono_literals;
using panes::testing::PaneHarness;
using printing::JobState;
using printing::QueueState;
using settings_app::OperationStatus;
using testing::FakePrinting;
using testing::HeldWorkers;
using testing::TestClock;
using Op = actions::PrinterOperation;

OperationStatus succeeded(const std::string& key, std::string message) {
  return OperationStatus::Succeeded{key, std::move(message)};
}
OperationStatus failed(const std::string& key, std::string message) {
  return OperationStatus::Failed{key, std::move(message)};
}

class PrintersPaneTest : public ::testing::Test {
 public:
  PrintersPaneTest() {
    backend->set_queues(std::vector{testing::queue("Office"), testing::queue("Photo", QueueState::Paused)});
    backend->set_jobs(std::vector{testing::job("12")});
    backend->set_scanners(std::vector<printing::Scanner>{{"airscan:e0:Hall", "eSCL Hall MFP"}});
    backend->set_driverless(std::vector<printing::DriverlessPrinter>{{"ipp://hall.local/ipp/print", "Hall", std::nullopt}});
  }

  // A pane on the harness's cells; its first reading not yet run.
  void make_pane() {
    pane = std::make_unique<PrintersPane>(PrintersPane(testing::services_of(backend, workers, clock))
                                              .with_pane_operation(harness.operation_cell())
                                              .with_operation_status(harness.status_cell()));
  }
  // A pane whose first reading is in.
  void open_pane() {
    make_pane();
    settle();
  }
  void pass() { PaneHarness::pass(*pane); }
  // Runs the held workers and passes until none is left.
  void settle() {
    for (int i = 0; i < 20; ++i) {
      pass();
      if (workers->run_all() == 0) {
        pass();
        return;
      }
    }
  }
  void press(const std::string& key) {
    ASSERT_TRUE(pane->own_document()->put(orvo_doc::kRoot, key, orvo_doc::ScalarValue::boolean(true)));
  }

  PaneHarness harness;
  std::shared_ptr<FakePrinting> backend = std::make_shared<FakePrinting>();
  std::shared_ptr<HeldWorkers> workers = std::make_shared<HeldWorkers>();
  std::shared_ptr<TestClock> clock = std::make_shared<TestClock>();
  std::unique_ptr<PrintersPane> pane;
};

TEST_F(PrintersPaneTest, ListsAreEmptyUntilTheFirstReadingArrives) {
  make_pane();
  pass();
  EXPECT_TRUE(pane->refreshing());
  EXPECT_TRUE(pane->queues().empty());
  EXPECT_EQ(workers->names(), std::vector<std::string>{"orvo-printer-status"});
  settle();
  EXPECT_FALSE(pane->refreshing());
  EXPECT_EQ(pane->queues().size(), 2u);
  EXPECT_EQ(pane->jobs().size(), 1u);
  EXPECT_EQ(pane->scanners().size(), 1u);
  EXPECT_EQ(pane->notice(), std::nullopt);
}

TEST_F(PrintersPaneTest, FailedReadingsAreJoinedAndKeepTheOldLists) {
  open_pane();
  backend->set_queues(std::unexpected("no service"));
  backend->set_jobs(std::unexpected("no jobs"));
  backend->set_scanners(std::unexpected("scanimage failed"));
  press(std::string(kRefreshKey));
  settle();
  EXPECT_EQ(pane->notice(), "Printers: no service · Jobs: no jobs · Scanners: scanimage failed");
  EXPECT_EQ(pane->queues().size(), 2u);
  EXPECT_EQ(pane->jobs().size(), 1u);
  EXPECT_EQ(pane->scanners().size(), 1u);

  backend->set_queues(std::vector{testing::queue("Office")});
  backend->set_jobs(std::vector<printing::PrintJob>{});
  backend->set_scanners(std::vector<printing::Scanner>{});
  press(std::string(kRefreshKey));
  settle();
  EXPECT_EQ(pane->notice(), std::nullopt);  // a complete reading clears it
  EXPECT_EQ(pane->queues().size(), 1u);
}

TEST_F(PrintersPaneTest, ReadsAgainThreeSecondsAfterTheLastReading) {
  open_pane();
  clock->at += 2900ms;
  pass();
  EXPECT_TRUE(workers->names().empty());
  ASSERT_TRUE(pane->next_wake_deadline().has_value());
  clock->at += 100ms;
  pass();
  EXPECT_EQ(workers->names(), std::vector<std::string>{"orvo-printer-status"});
  clock->at += 10s;  // still running: no second worker
  pass();
  EXPECT_EQ(workers->names().size(), 1u);
}

TEST_F(PrintersPaneTest, OneReadingAndOneSearchAtATime) {
  open_pane();
  press(std::string(kRefreshKey));
  pass();
  press(std::string(kRefreshKey));
  press(std::string(kDiscoverKey));
  pass();
  press(std::string(kDiscoverKey));
  pass();
  EXPECT_EQ(workers->names(), (std::vector<std::string>{"orvo-printer-status", "orvo-printer-discovery"}));
  EXPECT_TRUE(pane->discovering());
  EXPECT_TRUE(pane->refreshing());
  settle();
  EXPECT_FALSE(pane->discovering());
  ASSERT_EQ(pane->driverless().size(), 1u);
  EXPECT_EQ(pane->driverless()[0].name, "Hall");
}

TEST_F(PrintersPaneTest, ThreadsThatCannotStartAreNoticesAndALaterRequestTriesAgain) {
  workers->refuse("orvo-printer-status");
  open_pane();
  EXPECT_EQ(pane->notice(), "Could not start printer status worker: Resource temporarily unavailable");
  EXPECT_FALSE(pane->refreshing());
  // Not retried at every pass: the next try is the periodic one.
  ASSERT_TRUE(pane->next_wake_deadline().has_value());
  EXPECT_GT(*pane->next_wake_deadline(), orvo_ui::Deadline::after_millis(2000));

  workers->refuse("orvo-printer-discovery");
  press(std::string(kDiscoverKey));
  pass();
  // Both failures still hold: nothing has been read or searched since.
  EXPECT_EQ(pane->notice(),
            "Could not start printer discovery: Resource temporarily unavailable · "
            "Could not start printer status worker: Resource temporarily unavailable");
  EXPECT_FALSE(pane->discovering());

  workers->refuse(std::nullopt);
  press(std::string(kRefreshKey));
  press(std::string(kDiscoverKey));
  settle();
  EXPECT_EQ(pane->queues().size(), 2u);
  EXPECT_EQ(pane->notice(), std::nullopt);
}

TEST_F(PrintersPaneTest, PressesCallTheBackendAndEachChangeIsFollowedByAReading) {
  open_pane();
  const struct {
    std::string key;
    std::string change;
  } cases[] = {
      {printer_queue_key("enabled", "Office"), "pause Office"},  // a queue that is not paused pauses
      {printer_queue_key("enabled", "Photo"), "resume Photo"},   // a paused one resumes
      {printer_queue_key("default", "Photo"), "default Photo"},
      {print_job_key("cancel", "12"), "cancel 12"},
      {print_job_key("retry", "12"), "retry 12"},
      {printer_queue_key("add", "ipp://hall.local/ipp/print"), "add ipp://hall.local/ipp/print"},
  };
  press(std::string(kDiscoverKey));
  settle();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    press(c.key);
    pass();
    EXPECT_EQ(workers->names(), std::vector<std::string>{"orvo-printer-action"});
    workers->run_all();
    pass();
    EXPECT_EQ(backend->changes().back(), c.change);
    EXPECT_EQ(workers->names(), std::vector<std::string>{"orvo-printer-status"});  // the reading after it
    settle();
  }
}

TEST_F(PrintersPaneTest, AFailedChangeIsANoticeThatTheNextSuccessClears) {
  open_pane();
  harness.mark_running("settings.printer-operation:\"Refresh\"");  // another operation runs meanwhile
  backend->fail_changes("Could not pause the printer: Forbidden");
  press(printer_queue_key("enabled", "Office"));
  settle();
  EXPECT_EQ(pane->notice(), "Could not pause the printer: Forbidden");
  // A plain press never ends an operation it was not asked for.
  EXPECT_TRUE(harness.status().is_running("settings.printer-operation:\"Refresh\""));
  backend->fail_changes(std::nullopt);
  press(printer_queue_key("enabled", "Office"));
  settle();
  EXPECT_EQ(pane->notice(), std::nullopt);
}

TEST_F(PrintersPaneTest, RemovalTakesTwoPressesAndATypedRemoveOne) {
  open_pane();
  press(printer_queue_key("remove", "Office"));
  settle();
  EXPECT_EQ(pane->pending_removal(), "Office");
  EXPECT_TRUE(backend->changes().empty());
  press(printer_queue_key("confirm_remove", "Office"));
  settle();
  EXPECT_EQ(pane->pending_removal(), std::nullopt);
  EXPECT_EQ(backend->changes(), std::vector<std::string>{"remove Office"});

  // A typed Remove marks the queue as the row's first press does; the confirmation removes it.
  const auto key = harness.hand_over(Op(Op::Remove{"Photo"}));
  settle();
  EXPECT_EQ(backend->changes().size(), 1u);
  EXPECT_EQ(pane->pending_removal(), "Photo");
  EXPECT_EQ(harness.status(), succeeded(key, fmt::format(fmt::runtime(kRemovalAsked), "Photo")));
  press(printer_queue_key("confirm_remove", "Photo"));
  settle();
  EXPECT_EQ(backend->changes().back(), "remove Photo");
}

TEST_F(PrintersPaneTest, OperationsActOnTheQueueWithExactlyTheirName) {
  backend->set_queues(std::vector{testing::queue("Office-1"), testing::queue("office 1")});
  open_pane();
  auto key = harness.hand_over(Op(Op::SetDefault{"office 1"}));
  settle();
  EXPECT_EQ(harness.status(), succeeded(key, std::string(kCompleted)));
  key = harness.hand_over(Op(Op::Remove{"office 1"}));
  settle();
  EXPECT_EQ(pane->pending_removal(), "office 1");
  EXPECT_EQ(backend->changes(), (std::vector<std::string>{"default office 1"}));
  // Each row has keys of its own: a press acts on its own queue.
  press(printer_queue_key("enabled", "office 1", {"Office-1", "office 1"}));
  settle();
  EXPECT_EQ(backend->changes().back(), "pause office 1");
}

TEST_F(PrintersPaneTest, EveryTakenOperationEnds) {
  open_pane();
  const struct {
    Op operation;
    OperationStatus (*outcome)(const std::string&, std::string);
    std::string message;
    std::optional<std::string> change;
  } cases[] = {
      {Op::Refresh{}, succeeded, std::string(kCompleted), std::nullopt},
      {Op::Discover{}, succeeded, std::string(kCompleted), std::nullopt},
      {Op::SetDefault{"Basement"}, failed, std::string(kQueueGone), std::nullopt},
      {Op::Remove{"Basement"}, failed, std::string(kQueueGone), std::nullopt},
      {Op::SetEnabled{"Basement", true}, failed, std::string(kQueueGone), std::nullopt},
      {Op::CancelJob{"99"}, failed, std::string(kJobGone), std::nullopt},
      {Op::RetryJob{"99"}, failed, std::string(kJobGone), std::nullopt},
      // The state it asks for already holds.
      {Op::SetEnabled{"Office", true}, succeeded, std::string(kCompleted), std::nullopt},
      {Op::SetEnabled{"Photo", false}, succeeded, std::string(kCompleted), std::nullopt},
      {Op::SetEnabled{"Office", false}, succeeded, std::string(kCompleted), "pause Office"},
      {Op::SetEnabled{"Photo", true}, succeeded, std::string(kCompleted), "resume Photo"},
      {Op::CancelJob{"12"}, succeeded, std::string(kCompleted), "cancel 12"},
      {Op::RetryJob{"12"}, succeeded, std::string(kCompleted), "retry 12"},
  };
  for (const auto& c : cases) {
    const auto key = harness.hand_over(c.operation);
    SCOPED_TRACE(key);
    const auto before = backend->changes().size();
    settle();
    EXPECT_EQ(harness.status(), c.outcome(key, c.message));
    if (c.change) {
      ASSERT_EQ(backend->changes().size(), before + 1);
      EXPECT_EQ(backend->changes().back(), *c.change);
    } else {
      EXPECT_EQ(backend->changes().size(), before);
    }
  }
}

TEST_F(PrintersPaneTest, RefreshAndDiscoverEndWithTheirMessages) {
  open_pane();
  press(std::string(kDiscoverKey));
  settle();
  // A refresh taken while a reading runs ends with that reading.
  press(std::string(kRefreshKey));
  pass();
  backend->set_queues(std::unexpected("no service"));
  auto key = harness.hand_over(Op(Op::Refresh{}));
  pass();
  EXPECT_EQ(workers->names().size(), 1u);
  EXPECT_TRUE(harness.status().is_running(key));
  settle();
  EXPECT_EQ(harness.status(), failed(key, "Printers: no service"));

  backend->set_driverless(std::unexpected("Could not search for printers: no network"));
  key = harness.hand_over(Op(Op::Discover{}));
  settle();
  EXPECT_EQ(harness.status(), failed(key, "Could not search for printers: no network"));
  EXPECT_EQ(pane->driverless().size(), 1u);  // the earlier list stays

  workers->refuse("orvo-printer-discovery");
  key = harness.hand_over(Op(Op::Discover{}));
  settle();
  EXPECT_EQ(harness.status(), failed(key, "Could not start printer discovery: Resource temporarily unavailable"));
}

TEST_F(PrintersPaneTest, AnOperationBeforeTheFirstReadingWaitsForIt) {
  make_pane();
  auto key = harness.hand_over(Op(Op::SetEnabled{"Photo", true}));
  pass();
  // Taken at once, so the cell is free, but carried out only on the list the reading brings.
  EXPECT_FALSE(harness.operation_cell().snapshot().has_value());
  EXPECT_TRUE(harness.status().is_running(key));
  EXPECT_TRUE(backend->changes().empty());
  settle();
  EXPECT_EQ(harness.status(), succeeded(key, std::string(kCompleted)));
  EXPECT_EQ(backend->changes(), std::vector<std::string>{"resume Photo"});

  pane.reset();
  make_pane();
  key = harness.hand_over(Op(Op::Remove{"Basement"}));
  settle();
  EXPECT_EQ(harness.status(), failed(key, std::string(kQueueGone)));
}

TEST_F(PrintersPaneTest, OutcomesGoOnlyUnderTheOperationsOwnKey) {
  open_pane();
  const auto key = harness.hand_over(Op(Op::CancelJob{"12"}));
  pass();
  harness.mark_running("settings.printer-operation:\"Discover\"");  // the runner moved on
  settle();
  EXPECT_TRUE(harness.status().is_running("settings.printer-operation:\"Discover\""));
  EXPECT_EQ(backend->changes(), std::vector<std::string>{"cancel 12"});
  (void)key;
}

TEST_F(PrintersPaneTest, APaneDroppedWithAnOperationInHandEndsIt) {
  make_pane();
  const auto key = harness.hand_over(Op(Op::SetDefault{"Office"}));
  pass();
  pane.reset();
  EXPECT_EQ(harness.status(), failed(key, std::string(kInterruptedSentence)));
}

}  // namespace
}  // namespace settings::panes::printers
