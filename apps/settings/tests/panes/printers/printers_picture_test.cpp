// The Printers page with every kind of row, laid out with real fonts in a wide and a narrow window
// and written to PNG files beside the test (for looking at), with the structural check that can be
// asserted: nothing runs out of the window or out of its box.
#include <gtest/gtest.h>


#include "fake_printing.h"
#include "harness/page_picture.h"
#include "harness/pane_harness.h"
#include "panes/printers/printer_keys.h"

namespace settings::panes::printers {
namespace {

using namespace orvo_ui;
using printing::JobState;
using printing::QueueState;

std::unique_ptr<PrintersPane> sample_pane(panes::testing::PaneHarness& harness) {
  auto backend = std::make_shared<testing::FakePrinting>();
  auto office = testing::queue("Office Laser");
  office.is_default = true;
  office.live.supplies = std::vector<printing::PrinterSupply>{{"Black Toner", 42}, {"Drum", std::nullopt}};
  auto photo = testing::queue("Photo Studio", QueueState::Paused);
  photo.live.reasons = {"paused"};
  photo.live.supplies = std::vector<printing::PrinterSupply>{};
  auto printing_job = testing::job("12", JobState::Printing);
  printing_job.impressions_completed = 3;
  printing_job.impressions_total = 8;
  printing_job.size_bytes = 1'234'000;
  auto stopped = testing::job("13", JobState::Stopped);
  stopped.title = "poster.png";
  stopped.printer = "Photo Studio";
  stopped.reasons = {"job-stopped"};
  backend->set_queues(std::vector{office, photo});
  backend->set_jobs(std::vector{printing_job, stopped});
  backend->set_scanners(std::vector<printing::Scanner>{{"airscan:e0:Hall MFP", "eSCL Brand X Hall MFP"}});
  backend->set_driverless(std::vector<printing::DriverlessPrinter>{
      {"ipps://hall.local/ipp/print", "Hall Printer", "Brand X 200"}, {"ipp://lab.local/ipp", "Lab", std::nullopt}});
  auto workers = std::make_shared<testing::HeldWorkers>();
  auto pane = std::make_unique<PrintersPane>(PrintersPane(testing::services_of(backend, workers, std::make_shared<testing::TestClock>()))
                                                 .with_pane_operation(harness.operation_cell())
                                                 .with_operation_status(harness.status_cell()));
  auto settle = [&] {
    for (int i = 0; i < 10; ++i) {
      panes::testing::PaneHarness::pass(*pane);
      if (workers->run_all() == 0) break;
    }
  };
  settle();
  (void)pane->own_document()->put(orvo_doc::kRoot, kDiscoverKey, orvo_doc::ScalarValue::boolean(true));
  settle();
  (void)pane->own_document()->put(orvo_doc::kRoot, printer_queue_key("remove", "Photo Studio"),
                                  orvo_doc::ScalarValue::boolean(true));
  settle();
  return pane;
}

class PrintersPicture : public ::testing::TestWithParam<int> {};

TEST_P(PrintersPicture, RendersInsideTheWindowAndWritesAPicture) {
  const int width = GetParam();
  const int height = 800;
  panes::testing::PaneHarness harness;
  auto pane = sample_pane(harness);
  ASSERT_EQ(pane->pending_removal(), "Photo Studio");
  ASSERT_EQ(pane->driverless().size(), 2u);

  panes::testing::picture_page(std::move(pane), "Printers", "printers", width, height);
}

INSTANTIATE_TEST_SUITE_P(Windows, PrintersPicture, ::testing::Values(1280, 600));

}  // namespace
}  // namespace settings::panes::printers
