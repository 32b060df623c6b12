#include "os_actions/printing.h"

#include <gtest/gtest.h>

#include <ctime>

#include "ipp_stand_in.h"

namespace {

using os_actions::printing::JobState;
using os_actions::printing::QueueState;
using os_actions_testing::FakeJob;
using os_actions_testing::FakePrinter;
using os_actions_testing::IppStandIn;

#define ORVO_IPP_STAND_IN(var, ...)                                                   \
  auto var##_started = IppStandIn::start(__VA_ARGS__);                                \
  if (!var##_started) GTEST_SKIP() << "IPP stand-in unavailable: " << var##_started.error(); \
  [[maybe_unused]] auto& var = *var##_started.value()

TEST(PrintingQueues, ReadsQueuesWithStateDefaultAndSupplies) {
  FakePrinter office_printer;
  office_printer.name = "Office-Laser";
  office_printer.state = 4;
  office_printer.message = "Printing page 2";
  office_printer.markers = {{{"Black Toner", 42}, {"Drum", -1}}};
  FakePrinter photo_printer;
  photo_printer.name = "Photo";
  photo_printer.state = 5;
  photo_printer.reasons = {"paused"};
  photo_printer.accepting = false;
  FakePrinter label_printer;
  label_printer.name = "Label";
  label_printer.reasons = {"offline-report"};
  label_printer.markers = std::vector<std::pair<std::string, int>>{};
  std::vector<FakePrinter> printers{office_printer, photo_printer, label_printer};
  ORVO_IPP_STAND_IN(server, printers, std::string("Photo"), {});
  auto queues = os_actions::printing::queues();
  ASSERT_TRUE(queues.has_value()) << queues.error();
  ASSERT_EQ(queues->size(), 3u);

  const auto& office = (*queues)[0];
  EXPECT_EQ(office.name, "Office-Laser");
  EXPECT_EQ(office.state, QueueState::Printing);
  EXPECT_EQ(office.detail, "Printing page 2");
  EXPECT_FALSE(office.is_default);
  EXPECT_TRUE(office.accepting_jobs);
  EXPECT_TRUE(office.live.reasons.empty());  // "none" is no reason
  ASSERT_TRUE(office.live.supplies.has_value());
  ASSERT_EQ(office.live.supplies->size(), 2u);
  EXPECT_EQ((*office.live.supplies)[0].level_percent, 42);
  EXPECT_EQ((*office.live.supplies)[1].level_percent, std::nullopt);  // negative: not reported

  const auto& photo = (*queues)[1];
  EXPECT_EQ(photo.state, QueueState::Paused);
  EXPECT_TRUE(photo.is_default);
  EXPECT_FALSE(photo.accepting_jobs);
  EXPECT_EQ(photo.detail, std::nullopt);
  EXPECT_EQ(photo.live.reasons, (std::vector<std::string>{"paused"}));
  EXPECT_FALSE(photo.live.supplies.has_value());

  EXPECT_EQ((*queues)[2].state, QueueState::Offline);
}

TEST(PrintingJobs, ReadsActiveJobsAndRecentlyFinishedOnes) {
  const long now = static_cast<long>(std::time(nullptr));
  std::vector<FakeJob> jobs{
      {.id = 12, .name = "report.pdf", .user = "ada", .printer = "Office-Laser", .state = 5, .impressions = 8,
       .completed = 3, .k_octets = 120},
      {.id = 13, .name = "old.pdf", .user = "ada", .printer = "Office-Laser", .state = 9, .completed_at = now - 7200},
      {.id = 14, .name = "failed.pdf", .user = "bob", .printer = "Photo", .state = 8,
       .reasons = {"job-canceled-at-device"}, .completed_at = now - 60},
  };
  ORVO_IPP_STAND_IN(server, {}, std::nullopt, jobs);
  auto found = os_actions::printing::jobs();
  ASSERT_TRUE(found.has_value()) << found.error();
  ASSERT_EQ(found->size(), 2u);  // the job finished two hours ago is history
  const auto& report = (*found)[0];
  EXPECT_EQ(report.id, "12");
  EXPECT_EQ(report.title, "report.pdf");
  EXPECT_EQ(report.owner, "ada");
  EXPECT_EQ(report.printer, "Office-Laser");
  EXPECT_EQ(report.state, JobState::Printing);
  EXPECT_EQ(report.size_bytes, 120u * 1024u);
  EXPECT_EQ(report.progress_percent(), 37);
  const auto& failed = (*found)[1];
  EXPECT_EQ(failed.state, JobState::Failed);
  EXPECT_EQ(failed.reasons, (std::vector<std::string>{"job-canceled-at-device"}));
  EXPECT_EQ(failed.progress_percent(), std::nullopt);
}

TEST(PrintingJobs, ProgressNeedsBothCountsAndStaysWithinAHundred) {
  os_actions::printing::PrintJob job;
  EXPECT_EQ(job.progress_percent(), std::nullopt);
  job.impressions_completed = 5;
  EXPECT_EQ(job.progress_percent(), std::nullopt);
  job.impressions_total = 0;
  EXPECT_EQ(job.progress_percent(), std::nullopt);
  job.impressions_total = 4;  // a printer that counts more than it announced
  EXPECT_EQ(job.progress_percent(), 100);
}

}  // namespace
