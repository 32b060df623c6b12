#include "panes/storage/storage_pane.h"

#include <gtest/gtest.h>

#include <fstream>

#include "harness/pane_harness.h"
#include "lib/settings_document.h"
#include "storage_stand_in.h"

namespace settings::panes::storage {
namespace {

using namespace std::chrono_literals;
using panes::testing::PaneHarness;
using settings_app::OperationStatus;
using testing::HeldWorkers;
using testing::StorageStandIn;
using Op = actions::StorageOperation;
using Reply = StorageStandIn::Reply;
namespace fs = std::filesystem;

OperationStatus succeeded(const std::string& key, std::string_view message) {
  return OperationStatus::Succeeded{key, std::string(message)};
}
OperationStatus failed(const std::string& key, std::string_view message) {
  return OperationStatus::Failed{key, std::string(message)};
}

// One reclaimable file of 2 kB, safe to free.
constexpr std::string_view kSnapshot =
    R"({"files":[{"display_path":"Documents/report.pdf","reclaimable_bytes":2000,"state":{"id":"f1","revision":7}},)"
    R"({"display_path":"Music/kept.flac","reclaimable_bytes":0,"state":{"id":"f2","revision":1}}],)"
    R"("usage":[{"total":9000,"local":5000,"remote_only":4000,"safe_to_free":2000}],"online":true})";

class StoragePaneTest : public ::testing::Test {
 public:
  StoragePaneTest() {
    service.on_snapshot({Reply::Answer, std::string(kSnapshot)});
    service.on_evict({Reply::Answer, R"({"queued":0,"freed_files":1,"freed_bytes":2000})"});
  }

  StorageServices services(std::chrono::milliseconds timeout = 5s) {
    StorageServices made;
    made.socket = {socket, timeout};
    made.open_tool = [this](os_actions::tool_intent::Tool tool) -> std::expected<void, std::string> {
      opened.push_back(tool);
      if (tool_error) return std::unexpected(*tool_error);
      return {};
    };
    made.start_worker = [held = workers](std::string name, std::function<void()> work) {
      return held->start(std::move(name), std::move(work));
    };
    return made;
  }
  // A pane on the harness's cells, its synced snapshot asked for; nothing run yet.
  void make_pane(std::chrono::milliseconds timeout = 5s) {
    desktop_policy::storage::StorageRoots roots{std::nullopt, harness.home().data(), harness.home().cache()};
    StoragePane made(roots, services(timeout));
    made.load_synced_storage();
    pane = std::make_unique<StoragePane>(
        std::move(made).with_pane_operation(harness.operation_cell()).with_operation_status(harness.status_cell()));
  }
  // A pane whose measurements are in.
  void open_pane(std::chrono::milliseconds timeout = 5s) {
    make_pane(timeout);
    settle();
  }
  void pass() { PaneHarness::pass(*pane); }
  void settle() {
    for (int i = 0; i < 20; ++i) {
      pass();
      if (workers->run_all() == 0) break;
    }
    pass();
  }
  void press(std::string_view key) {
    ASSERT_TRUE(pane->own_document()->put(orvo_doc::kRoot, key, orvo_doc::ScalarValue::boolean(true)));
  }
  std::optional<bool> flag(std::string_view name) const {
    return lib::read_bool(*pane->own_document(), orvo_doc::kRoot, name);
  }

  PaneHarness harness;
  fs::path socket = harness.home().system(workers::kStorageSocket);
  StorageStandIn service{socket};
  std::shared_ptr<HeldWorkers> workers = std::make_shared<HeldWorkers>();
  std::vector<os_actions::tool_intent::Tool> opened;
  std::optional<std::string> tool_error;
  std::unique_ptr<StoragePane> pane;
};

TEST_F(StoragePaneTest, AReclamationReportBecomesItsSentenceAndTheSnapshotIsLoadedAgain) {
  struct Case {
    std::string report;
    std::string sentence;
  };
  const Case cases[] = {
      {R"({"queued":2,"freed_files":3,"freed_bytes":1500000})",
       "Freed 1.5 MB from 3 synced file(s); 2 more queued for verified background reclamation."},
      {R"({"queued":4,"freed_files":0,"freed_bytes":0})",
       "4 synced file(s) queued for verified background reclamation; nothing is counted as free until GC confirms it."},
      {R"({"queued":0,"freed_files":1,"freed_bytes":2000})", "Freed 2.0 kB from 1 synced files."},
      {R"({"queued":0,"freed_files":0,"freed_bytes":0})", "Freed 0 B from 0 synced files."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.report);
    service.on_evict({Reply::Answer, c.report});
    open_pane();
    ASSERT_TRUE(pane->synced());
    const auto before = service.requests().size();
    const std::string key = harness.hand_over(Op::FreeSyncedFiles{});
    pass();
    EXPECT_TRUE(pane->eviction_running());
    EXPECT_EQ(harness.status(), OperationStatus(OperationStatus::Running{key}));
    settle();
    EXPECT_EQ(harness.status(), succeeded(key, kReclaimed));
    EXPECT_EQ(pane->status_message(), c.sentence);
    EXPECT_FALSE(pane->eviction_running());
    EXPECT_EQ(flag("storage.sync.free.edit"), false);
    const auto requests = service.requests();
    ASSERT_EQ(requests.size(), before + 2) << "the eviction, then a fresh snapshot";
    // Only the reclaimable file is selected, in the state the service gave.
    EXPECT_EQ(requests[before], R"({"op":"evict","selections":[{"id":"f1","revision":7}]})");
    EXPECT_EQ(requests[before + 1], R"({"op":"snapshot"})");
  }
}

TEST_F(StoragePaneTest, ServiceFailuresAreSentencesAndNothingHangs) {
  struct Case {
    std::string name;
    StorageStandIn::Response evict;
    std::string message;
    std::string outcome;
  };
  const Case cases[] = {
      {"refused", {Reply::Answer, R"({"error":"the file changed since it was listed"})"},
       "Nothing was removed: the file changed since it was listed", "Nothing was removed: the file changed since it was listed"},
      {"closed", {Reply::Close, ""}, std::string(kRequestEnded), std::string(kServiceEnded)},
      {"silent", {Reply::Silent, ""}, "Nothing was removed: The storage service did not answer in time.",
       "Nothing was removed: The storage service did not answer in time."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    service.on_evict(c.evict);
    open_pane(300ms);
    const std::string key = harness.hand_over(Op::FreeSyncedFiles{});
    settle();
    EXPECT_EQ(harness.status(), failed(key, c.outcome));
    EXPECT_EQ(pane->status_message(), c.message);
    EXPECT_TRUE(pane->synced()) << "the totals stay until the next snapshot";
    EXPECT_FALSE(pane->eviction_running());
  }
}

TEST_F(StoragePaneTest, ASnapshotThatFailsShowsWhy) {
  service.on_snapshot({Reply::Close, ""});
  open_pane();
  EXPECT_FALSE(pane->synced());
  EXPECT_EQ(pane->status_message(), kServiceEnded);

  service.on_snapshot({Reply::Answer, R"({"files":[]})"});
  open_pane();
  ASSERT_TRUE(pane->status_message());
  EXPECT_TRUE(pane->status_message()->starts_with(
      "Sync storage service unavailable: The storage service sent an invalid answer: missing field `usage`"))
      << *pane->status_message();

  socket = harness.home().system("/run/orvo/nobody-listens.sock");
  open_pane();
  EXPECT_FALSE(pane->synced());
  ASSERT_TRUE(pane->status_message());
  EXPECT_TRUE(pane->status_message()->starts_with("Sync storage service unavailable: ")) << *pane->status_message();
  // Without a snapshot nothing can be freed, and the request is not left waiting.
  const std::string key = harness.hand_over(Op::FreeSyncedFiles{});
  settle();
  EXPECT_EQ(harness.status(), failed(key, kNothingToFree));
}

TEST_F(StoragePaneTest, AFreeArrivingWhileTheFirstSnapshotLoadsWaitsForIt) {
  make_pane();
  const std::string key = harness.hand_over(Op::FreeSyncedFiles{});
  pass();
  EXPECT_EQ(pane->status_message(), kLoadingSynced);
  EXPECT_EQ(flag("storage.sync.free.edit"), true) << "still waiting";
  EXPECT_EQ(harness.status(), OperationStatus(OperationStatus::Running{key}));
  EXPECT_FALSE(harness.operation_cell().snapshot()) << "taken from the cell at once";
  settle();
  EXPECT_EQ(harness.status(), succeeded(key, kReclaimed));

  // The same wait ends in the refusal when the snapshot fails.
  service.on_snapshot({Reply::Answer, R"({"error":"sync is off"})"});
  make_pane();
  const std::string again = harness.hand_over(Op::FreeSyncedFiles{});
  settle();
  EXPECT_EQ(harness.status(), failed(again, kNothingToFree));
  EXPECT_EQ(pane->status_message(), "Sync storage service unavailable: sync is off");
}

TEST_F(StoragePaneTest, OnlyTheRunningOperationIsAnsweredAndButtonsPublishNothing) {
  open_pane();
  // A press of the page's button: its outcome shows in the page only.
  press(kFreeKey);
  pass();
  ASSERT_TRUE(pane->eviction_running());
  // A second request while the first runs is refused.
  const std::string key = harness.hand_over(Op::FreeSyncedFiles{});
  pass();
  EXPECT_EQ(harness.status(), failed(key, kNothingToFree));
  harness.mark_running("settings.storage-operation:\"OpenDisks\"");
  settle();
  EXPECT_EQ(harness.status(), OperationStatus(OperationStatus::Running{"settings.storage-operation:\"OpenDisks\""}));
  EXPECT_EQ(pane->status_message(), "Freed 2.0 kB from 1 synced files.");

  // An operation whose Running status was replaced is carried out, and nothing is published.
  (void)harness.hand_over(Op::OpenDisks{});
  harness.mark_running("another");
  settle();
  EXPECT_EQ(opened, std::vector{os_actions::tool_intent::Tool::Disks});
  EXPECT_EQ(harness.status(), OperationStatus(OperationStatus::Running{"another"}));
}

TEST_F(StoragePaneTest, DroppingThePaneWhileReclaimingEndsTheOperationOnce) {
  open_pane();
  const std::string key = harness.hand_over(Op::FreeSyncedFiles{});
  pass();
  ASSERT_TRUE(pane->eviction_running());
  pane.reset();
  EXPECT_EQ(harness.status(), failed(key, kInterruptedSentence));
  harness.mark_running(key);
  workers->run_all();  // the service finishes on its own; nobody listens
  EXPECT_EQ(harness.status(), OperationStatus(OperationStatus::Running{key}));
  EXPECT_EQ(service.requests().back(), R"({"op":"evict","selections":[{"id":"f1","revision":7}]})");
}

TEST_F(StoragePaneTest, TheToolsOpenOrSayWhyNot) {
  open_pane();
  const std::string disks = harness.hand_over(Op::OpenDisks{});
  settle();
  EXPECT_EQ(harness.status(), succeeded(disks, "Opened Disks."));
  tool_error = "Backups is not installed";
  const std::string backups = harness.hand_over(Op::OpenBackups{});
  settle();
  EXPECT_EQ(harness.status(), failed(backups, "Backups is not installed"));
  press(kDisksKey);
  settle();
  EXPECT_EQ(opened.size(), 3u);
  EXPECT_EQ(harness.status(), failed(backups, "Backups is not installed")) << "a button publishes nothing";
}

TEST_F(StoragePaneTest, CleaningCachesRemovesOnlyTheListedEntriesAndMeasuresAgain) {
  const fs::path cache = harness.home().cache();
  const fs::path outside = harness.home().root() / "outside";
  fs::create_directories(cache / "thumbnails");
  std::ofstream(cache / "thumbnails/1.png") << std::string(5000, 'x');
  fs::create_directories(outside / "dir");
  std::ofstream(outside / "note.txt") << "keep";
  std::ofstream(outside / "dir/inner.txt") << "keep";
  fs::create_symlink(outside / "note.txt", cache / "note-link");
  fs::create_directory_symlink(outside / "dir", cache / "dir-link");
  fs::create_directories(cache / std::string("caf\xe9"));

  // A request while the first measurement runs waits for it.
  make_pane();
  const std::string key = harness.hand_over(Op::CleanupCaches{});
  pass();
  EXPECT_TRUE(pane->measuring());
  EXPECT_EQ(flag("storage.cleanup.confirmed.edit"), true);
  // Measured: the preview lists the four entries. Then an entry turns into a link to outside.
  pass();
  workers->run_all();
  ASSERT_FALSE(pane->cleanup_preview());
  pass();
  ASSERT_TRUE(pane->cleanup_preview());
  EXPECT_EQ(pane->cleanup_preview()->entries.size(), 4u);
  EXPECT_TRUE(pane->cleaning());
  fs::remove_all(cache / "thumbnails");
  fs::create_directory_symlink(outside, cache / "thumbnails");
  settle();

  EXPECT_EQ(harness.status(), succeeded(key, kCachesCleaned));
  EXPECT_TRUE(fs::exists(outside / "note.txt"));
  EXPECT_TRUE(fs::exists(outside / "dir/inner.txt"));
  EXPECT_TRUE(fs::is_empty(cache));
  ASSERT_TRUE(pane->cleanup_preview());
  EXPECT_TRUE(pane->cleanup_preview()->entries.empty()) << "the preview is computed again";
  EXPECT_EQ(pane->local_snapshot()->totals().at(desktop_policy::storage::StorageCategory::Cache), 0u);
}

TEST_F(StoragePaneTest, CleaningWithoutACacheDirectoryFails) {
  // The cache directory was never made, so there is no preview.
  open_pane();
  EXPECT_FALSE(pane->cleanup_preview());
  const std::string key = harness.hand_over(Op::CleanupCaches{});
  settle();
  EXPECT_EQ(harness.status(), failed(key, kNoCache));
}

}  // namespace
}  // namespace settings::panes::storage
