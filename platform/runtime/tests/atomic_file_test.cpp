#include "orvo_runtime/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

namespace {

class AtomicFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orvo-atomic-XXXXXX";
    dir_ = ::mkdtemp(pattern);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

mode_t mode_of(const std::filesystem::path& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

TEST_F(AtomicFile, WritesExactModeWhateverTheUmask) {
  const auto file = dir_ / "state.json";
  const mode_t old_umask = ::umask(077);
  ASSERT_TRUE(atomic_file::write(file, "{\"a\":1}", 0644).has_value());
  ::umask(022);
  const auto secret = dir_ / "intent.json";
  ASSERT_TRUE(atomic_file::write(secret, "x", 0600).has_value());
  ::umask(old_umask);
  EXPECT_EQ(mode_of(file), 0644u);
  EXPECT_EQ(mode_of(secret), 0600u);
}

TEST_F(AtomicFile, ReplacesContentAndLeavesNoTemporaryFile) {
  const auto file = dir_ / "state.json";
  ASSERT_TRUE(atomic_file::write(file, "old content that is longer", 0600).has_value());
  ASSERT_TRUE(atomic_file::write(file, "new", 0600).has_value());
  auto read = atomic_file::read_existing(file);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->value(), "new");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);
}

TEST_F(AtomicFile, FailedWriteKeepsTheOldFileAndSaysWhy) {
  const auto blocker = dir_ / "not-a-dir";
  std::ofstream(blocker) << "keep";
  auto result = atomic_file::write(blocker / "state.json", "x", 0600);
  ASSERT_FALSE(result.has_value());
  EXPECT_NE(result.error().find("not-a-dir/state.json"), std::string::npos) << result.error();
  auto read = atomic_file::read_existing(blocker);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->value(), "keep");
}

TEST_F(AtomicFile, OnlyAMissingFileReadsAsAbsent) {
  auto missing = atomic_file::read_existing(dir_ / "missing.json");
  ASSERT_TRUE(missing.has_value());
  EXPECT_FALSE(missing->has_value());

  // A directory in the file's place is a read failure, not an empty store.
  std::filesystem::create_directory(dir_ / "store.json");
  auto unreadable = atomic_file::read_existing(dir_ / "store.json");
  ASSERT_FALSE(unreadable.has_value());
  EXPECT_TRUE(unreadable.error().starts_with("could not read ")) << unreadable.error();

  std::ofstream(dir_ / "empty.json");
  auto empty = atomic_file::read_existing(dir_ / "empty.json");
  ASSERT_TRUE(empty.has_value());
  ASSERT_TRUE(empty->has_value());
  EXPECT_EQ(empty->value(), "");
}

}  // namespace
