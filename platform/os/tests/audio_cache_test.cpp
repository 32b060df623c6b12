#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "media/audio.h"
#include "orvo_log/log.h"
#include "temp_tree.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using os_actions_testing::PathPrefix;
using os_actions_testing::TempTree;

const std::string kFixture = std::string(ORVO_OS_FIXTURES) + "/pw-dump.json";
constexpr const char* kWarning = "audio graph read failed";

// Asks the cache until `seen` holds for its graph or `limit` passes.
bool eventually(media::audio::GraphCache& cache, const std::function<bool(const media::audio::AudioGraph&)>& seen,
                std::chrono::milliseconds limit = 5s) {
  const auto deadline = Clock::now() + limit;
  while (Clock::now() < deadline) {
    if (seen(cache.snapshot())) return true;
    std::this_thread::sleep_for(20ms);
  }
  return false;
}

TEST(GraphCache, OnlyTheFirstSnapshotWaitsForTheReader) {
  TempTree tree;
  tree.script("bin/pw-dump", "/bin/sleep 2; exec /bin/cat '" + kFixture + "'");
  PathPrefix path(tree.root() / "bin", /*only=*/true);
  media::audio::GraphCache cache({.period = 100ms, .first_read_limit = 5s});

  EXPECT_EQ(cache.snapshot().sinks.size(), 2u);
  // The reader is busy with its next two-second read meanwhile; nobody waits for it (what a
  // snapshot costs is measured in bench/audio_graph).
  for (int i = 0; i < 20; ++i) {
    const auto start = Clock::now();
    const auto graph = cache.snapshot();
    EXPECT_LT(Clock::now() - start, 100ms);
    EXPECT_EQ(graph.sinks.size(), 2u);
    std::this_thread::sleep_for(50ms);
  }
}

TEST(GraphCache, FollowsAGraphThatChanges) {
  TempTree tree;
  const auto dump = tree.root() / "dump.json";
  std::filesystem::copy_file(kFixture, dump);
  tree.script("bin/pw-dump", "exec /bin/cat '" + dump.string() + "'");
  PathPrefix path(tree.root() / "bin", /*only=*/true);
  media::audio::GraphCache cache({.period = 100ms, .first_read_limit = 5s});
  ASSERT_EQ(cache.snapshot().sinks.size(), 2u);

  tree.write("dump.json", "[]");
  EXPECT_TRUE(eventually(cache, [](const auto& graph) { return graph.sinks.empty(); }, 2s));
}

TEST(GraphCache, FailedReadsGiveAnEmptyGraphAndOneWarningUntilAReadSucceeds) {
  TempTree tree;
  const auto dump = tree.root() / "dump.json";
  tree.write("dump.json", "this is not JSON");
  tree.script("bin/pw-dump", "exec /bin/cat '" + dump.string() + "'");
  PathPrefix path(tree.root() / "bin", /*only=*/true);
  orvo_log::CaptureScope capture;
  media::audio::GraphCache cache({.period = 20ms, .first_read_limit = 5s});

  EXPECT_TRUE(cache.snapshot().sinks.empty());
  std::this_thread::sleep_for(400ms);  // many failed reads
  EXPECT_EQ(capture.count(kWarning), 1u);

  std::filesystem::remove(dump);
  std::filesystem::copy_file(kFixture, dump);
  ASSERT_TRUE(eventually(cache, [](const auto& graph) { return graph.sinks.size() == 2; }));
  tree.write("dump.json", "still not JSON");
  ASSERT_TRUE(eventually(cache, [](const auto& graph) { return graph.sinks.empty(); }));
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(capture.count(kWarning), 2u);
}

TEST(GraphCache, AMissingReaderGivesAnEmptyGraph) {
  TempTree tree;
  PathPrefix path(tree.root() / "bin", /*only=*/true);
  orvo_log::CaptureScope capture;
  media::audio::GraphCache cache({.period = 20ms, .first_read_limit = 5s});
  EXPECT_TRUE(cache.snapshot().sinks.empty());
  EXPECT_EQ(capture.count(kWarning), 1u);
}

}  // namespace
