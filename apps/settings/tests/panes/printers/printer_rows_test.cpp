// The Printers page's rows and texts, and the page as the offscreen frame loop builds it.
#include "panes/printers/printer_rows.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fake_printing.h"
#include "harness/pane_harness.h"
#include "orvo_ui/widgets/badge.h"
#include "orvo_ui/widgets/button.h"
#include "panes/printers/printer_keys.h"
#include "panes/printers/printers_pane.h"

namespace settings::panes::printers {
namespace {

using panes::testing::find_widget;
using panes::testing::PaneHarness;
using panes::testing::PaneInALoop;
using panes::testing::texts_of;
using printing::JobState;
using printing::QueueState;

bool shows(const std::vector<std::string>& texts, std::string_view text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST(AsciiSlug, LowersLettersKeepsDigitsAndReplacesTheRest) {
  const struct {
    std::string_view text;
    std::string_view slug;
  } cases[] = {
      {"Office Laser 2.0", "office_laser_2_0"},
      {"Zürich", "z_rich"},  // one "_" per character, whatever its length in bytes
      {"HP #5", "hp__5"},
      {"Office-1", "office_1"},
      {"office 1", "office_1"},
      {"", ""},
      {"日本", "__"},
  };
  for (const auto& c : cases) EXPECT_EQ(ascii_slug(c.text), c.slug) << c.text;
  EXPECT_EQ(printer_queue_key("confirm_remove", "HP #5"), "settings.printers.confirm_remove.hp__5");
  EXPECT_EQ(print_job_key("retry", "12"), "settings.printers.job.retry.12");
}

TEST(QueueLines, DetailAndSupplies) {
  auto q = testing::queue("Office");
  EXPECT_EQ(queue_detail_line(q), "Accepting jobs");
  q.is_default = true;
  EXPECT_EQ(queue_detail_line(q), "Default · accepting jobs");
  q.accepting_jobs = false;
  EXPECT_EQ(queue_detail_line(q), "Not accepting new jobs");
  q.is_default = false;
  q.live.reasons = {"media-empty-error", "toner-low"};
  EXPECT_EQ(queue_detail_line(q), "Configured · media-empty-error");
  q.detail = "Tray 2 is empty";
  EXPECT_EQ(queue_detail_line(q), "Configured · Tray 2 is empty");

  EXPECT_EQ(queue_supplies_line(q), "Supply levels not reported by this printer");
  q.live.details_read = false;
  EXPECT_EQ(queue_supplies_line(q), "Live IPP details unavailable");
  q.live.supplies = std::vector<printing::PrinterSupply>{};
  EXPECT_EQ(queue_supplies_line(q), "Supplies: none installed");
  q.live.supplies = std::vector<printing::PrinterSupply>{{"Black", 42}, {"Drum", std::nullopt}};
  EXPECT_EQ(queue_supplies_line(q), "Supplies: Black 42% · Drum — level not reported");
}

TEST(JobLines, SizeAndProgressForms) {
  auto j = testing::job("12", JobState::Printing);
  j.size_bytes = 1'234'000;
  EXPECT_EQ(job_detail_line(j), "report.pdf · 1.2 MB · ada");
  const struct {
    std::optional<std::uint32_t> completed;
    std::optional<std::uint32_t> total;
    std::string_view progress;
  } cases[] = {
      {std::nullopt, 8, "Printing · Page progress not reported"},
      {3, 8, "Printing · 3 of 8 impressions · 37%"},
      {3, 0, "Printing · 3 impressions completed"},
      {3, std::nullopt, "Printing · 3 impressions completed"},
  };
  for (const auto& c : cases) {
    j.impressions_completed = c.completed;
    j.impressions_total = c.total;
    EXPECT_EQ(job_progress_line(j), c.progress);
  }
  j.state = JobState::NotReported;
  j.reasons = {"job-hold-until-specified"};
  EXPECT_EQ(job_progress_line(j), "State not reported · 3 impressions completed · job-hold-until-specified");
}

// The labels of the buttons in the rows, in order.
std::vector<std::string> button_labels(std::vector<RowBox>& rows) {
  std::vector<std::string> labels;
  std::function<void(orvo_ui::Widget&)> walk = [&](orvo_ui::Widget& widget) {
    if (auto* button = dynamic_cast<orvo_ui::Button*>(&widget)) labels.push_back(std::string(button->label()));
    for (auto* child : widget.children_mut()) walk(*child);
  };
  for (auto& row : rows) walk(*row);
  return labels;
}

TEST(JobRows, ButtonsFollowTheState) {
  const struct {
    JobState state;
    std::vector<std::string> buttons;
  } cases[] = {
      {JobState::Waiting, {"Cancel"}},         {JobState::Held, {"Cancel"}},
      {JobState::Printing, {"Cancel"}},        {JobState::Stopped, {"Retry", "Cancel"}},
      {JobState::Canceled, {"Retry"}},         {JobState::Failed, {"Retry"}},
      {JobState::Completed, {}},               {JobState::Unknown, {}},
      {JobState::NotReported, {"Cancel"}},
  };
  for (const auto& c : cases) {
    DocumentControls controls;
    auto rows = print_job_rows({testing::job("7", c.state)}, controls);
    EXPECT_EQ(button_labels(rows), c.buttons) << job_state_label(c.state);
  }
}

TEST(QueueRows, BadgeAndButtonsFollowTheQueue) {
  auto office = testing::queue("Office");
  office.is_default = true;
  const auto photo = testing::queue("Photo", QueueState::Paused);
  DocumentControls controls;
  auto rows = printer_queue_rows({office, photo}, std::string("Photo"), controls);
  EXPECT_EQ(button_labels(rows), (std::vector<std::string>{"Pause", "Remove…", "Make default", "Resume", "Remove printer"}));
  EXPECT_NE(find_widget(*rows[1], "settings.printers.confirm_remove.photo"), nullptr);
  EXPECT_TRUE(shows(texts_of(*rows[1]), "Photo"));
  std::vector<std::pair<std::string, std::uint8_t>> badges;
  std::function<void(orvo_ui::Widget&)> walk = [&](orvo_ui::Widget& widget) {
    if (auto* badge = dynamic_cast<orvo_ui::Badge*>(&widget)) badges.emplace_back(badge->text(), std::get<orvo_ui::BadgeTone>(badge->style()).tone);
    for (auto* child : widget.children_mut()) walk(*child);
  };
  for (auto& row : rows) walk(*row);
  EXPECT_EQ(badges, (std::vector<std::pair<std::string, std::uint8_t>>{{"Ready", 0}, {"Paused", 2}}));
}

TEST(OtherRows, DriverlessAndScanners) {
  DocumentControls controls;
  auto nearby = driverless_printer_rows(
      {{"ipp://a.local/ipp", "Hall", std::nullopt}, {"ipp://b.local/ipp", "Lab", "Brand X 200"}}, controls);
  EXPECT_EQ(texts_of(*nearby[0]), (std::vector<std::string>{"Hall", "Driverless IPP"}));
  EXPECT_EQ(texts_of(*nearby[1]), (std::vector<std::string>{"Lab", "Brand X 200"}));
  EXPECT_NE(find_widget(*nearby[1], "settings.printers.add.ipp___b_local_ipp"), nullptr);
  auto scanners = scanner_rows({{"airscan:e0:Hall", "eSCL Hall MFP"}});
  EXPECT_EQ(texts_of(*scanners[0]), (std::vector<std::string>{"eSCL Hall MFP", "airscan:e0:Hall"}));
}

class PrintersPage : public ::testing::Test {
 public:
  void open() {
    pane = std::make_unique<PrintersPane>(PrintersPane(testing::services_of(backend, workers, clock))
                                              .with_pane_operation(harness.operation_cell())
                                              .with_operation_status(harness.status_cell()));
    loop = std::make_unique<PaneInALoop>(*pane, 1280, 800);
  }
  // Runs the held workers and draws until none is left.
  void settle() {
    for (int i = 0; i < 20; ++i) {
      loop->frame();
      if (workers->run_all() == 0) break;
    }
    loop->frame();
  }
  std::string label_of(std::string_view id) {
    auto* button = dynamic_cast<orvo_ui::Button*>(find_widget(*pane, id));
    return button ? button->label() : std::string("(none)");
  }

  PaneHarness harness;
  std::shared_ptr<testing::FakePrinting> backend = std::make_shared<testing::FakePrinting>();
  std::shared_ptr<testing::HeldWorkers> workers = std::make_shared<testing::HeldWorkers>();
  std::shared_ptr<testing::TestClock> clock = std::make_shared<testing::TestClock>();
  std::unique_ptr<PrintersPane> pane;
  std::unique_ptr<PaneInALoop> loop;
};

TEST_F(PrintersPage, EmptyListsShowTheirCaptionsAndBusyButtonsSaySo) {
  backend->set_queues(std::vector<printing::PrinterQueue>{});
  backend->set_jobs(std::vector<printing::PrintJob>{});
  backend->set_scanners(std::vector<printing::Scanner>{});
  backend->set_driverless(std::vector<printing::DriverlessPrinter>{});
  open();
  EXPECT_EQ(label_of(kRefreshKey), "Refreshing…");
  settle();
  auto texts = texts_of(*pane);
  for (auto caption : {kNoQueuesCaption, kNoDriverlessCaption, kNoJobsCaption, kNoScannersCaption}) {
    EXPECT_TRUE(shows(texts, caption)) << caption;
  }
  EXPECT_FALSE(shows(texts, "Printer needs attention"));
  EXPECT_EQ(label_of(kRefreshKey), "Refresh");
  EXPECT_EQ(label_of(kDiscoverKey), "Find printers");

  loop->click(*find_widget(*pane, kDiscoverKey));
  loop->frame();
  EXPECT_EQ(label_of(kDiscoverKey), "Searching…");
  EXPECT_TRUE(shows(texts_of(*pane), kSearchingCaption));
}

TEST_F(PrintersPage, AClickedRowButtonActsAndTheNoticeShowsInItsCard) {
  backend->set_queues(std::vector{testing::queue("Office"), testing::queue("Photo", QueueState::Paused)});
  backend->set_jobs(std::vector<printing::PrintJob>{});
  backend->set_scanners(std::vector<printing::Scanner>{});
  backend->set_driverless(std::vector<printing::DriverlessPrinter>{});
  open();
  settle();
  loop->click(*find_widget(*pane, "settings.printers.remove.office"));
  loop->frame();
  EXPECT_EQ(label_of("settings.printers.confirm_remove.office"), "Remove printer");
  backend->fail_changes("Could not remove the printer: Forbidden");
  loop->click(*find_widget(*pane, "settings.printers.confirm_remove.office"));
  settle();
  EXPECT_EQ(backend->changes(), std::vector<std::string>{"remove Office"});
  const auto texts = texts_of(*pane);
  EXPECT_TRUE(shows(texts, "Printer needs attention"));
  EXPECT_TRUE(shows(texts, "Could not remove the printer: Forbidden"));
  EXPECT_EQ(label_of("settings.printers.remove.office"), "Remove…");
}

}  // namespace
}  // namespace settings::panes::printers
