#include "runtime_fs/storage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace runtime_fs::storage {
namespace {

// A stream that records what is written and answers from a fixed text, in pieces.
class ScriptedStream final : public StorageStream {
 public:
  explicit ScriptedStream(std::string answer, std::size_t piece = 7) : answer_(std::move(answer)), piece_(piece) {}
  std::expected<void, std::string> write_all(std::span<const std::byte> bytes) override {
    if (finished) return std::unexpected(std::string("written after the end"));
    written.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return {};
  }
  std::expected<std::size_t, std::string> read_some(std::span<std::byte> buffer) override {
    const std::size_t n = std::min({piece_, buffer.size(), answer_.size() - offset_});
    std::memcpy(buffer.data(), answer_.data() + offset_, n);
    offset_ += n;
    return n;
  }
  void finish_sending() override { finished = true; }

  std::string written;
  bool finished = false;

 private:
  std::string answer_;
  std::size_t piece_;
  std::size_t offset_ = 0;
};

constexpr std::string_view kSnapshot =
    R"({"files":[{"display_path":"Documents/report.pdf","reclaimable_bytes":2048,"state":{"id":"f1","revision":7}}],)"
    R"("usage":[{"total":10,"local":6,"remote_only":4,"safe_to_free":2}],"online":true})";

TEST(StorageClient, SnapshotAndEvictExchangeOneLineEach) {
  ScriptedStream stream(std::string(kSnapshot) + "\nignored after the line");
  auto snapshot = StorageClient(stream).snapshot();
  ASSERT_TRUE(snapshot) << snapshot.error();
  EXPECT_EQ(stream.written, "{\"op\":\"snapshot\"}\n");
  EXPECT_TRUE(stream.finished);
  ASSERT_EQ(snapshot->files.size(), 1u);
  EXPECT_EQ(snapshot->files[0].state, (SyncedFileState{"f1", 7}));
  EXPECT_EQ(snapshot->usage[0], (SyncedUsage{10, 6, 4, 2}));
  EXPECT_TRUE(snapshot->online);

  ScriptedStream evict_stream(R"({"queued":1,"freed_files":2,"freed_bytes":4096})");
  auto report = StorageClient(evict_stream).evict({EvictionSelection::from(snapshot->files[0].state)});
  ASSERT_TRUE(report) << report.error();
  EXPECT_EQ(evict_stream.written, "{\"op\":\"evict\",\"selections\":[{\"id\":\"f1\",\"revision\":7}]}\n");
  EXPECT_EQ(*report, (EvictionReport{1, 2, 4096}));
}

TEST(StorageClient, EveryBadAnswerIsAText) {
  struct Case {
    std::string answer;
    std::string error;
  };
  const Case cases[] = {
      {R"({"error":"the sync engine is paused"})", "the sync engine is paused"},
      {R"({"error":""})", "The storage service reported a failure without a reason."},
      {"", std::string(kNoAnswer)},
      {"  \n", std::string(kNoAnswer)},
      {R"({"queued":1,"freed_files":2})", "The storage service sent an invalid answer: missing field `freed_bytes`"},
      {R"({"queued":1,"freed_files":2,"freed_bytes":3,"extra":true})",
       "The storage service sent an invalid answer: unknown field `extra`"},
      {R"({"queued":-1,"freed_files":2,"freed_bytes":3})", "The storage service sent an invalid answer: invalid value"},
      {R"({"queued":1,"freed_files":2,"freed_bytes":3} trailing)", "The storage service sent an invalid answer: trailing"},
      {R"([1,2,3])", "The storage service sent an invalid answer: expected an object"},
      {R"({"error":"x","queued":1})", "The storage service sent an invalid answer: unknown field `error`"},
  };
  for (const auto& c : cases) {
    ScriptedStream stream(c.answer);
    auto report = StorageClient(stream).evict({});
    ASSERT_FALSE(report) << c.answer;
    EXPECT_TRUE(report.error().starts_with(c.error)) << c.answer << " gave " << report.error();
  }
}

TEST(StorageClient, AnAnswerOverTheLimitIsRefusedWithoutReadingOn) {
  ScriptedStream stream(std::string(kResponseLimit + 10, ' '), 64 * 1024);
  auto snapshot = StorageClient(stream).snapshot();
  ASSERT_FALSE(snapshot);
  EXPECT_EQ(snapshot.error(), "The storage service's answer is larger than 16 MiB.");
}

}  // namespace
}  // namespace runtime_fs::storage
