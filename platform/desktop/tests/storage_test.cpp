#include "desktop_policy/storage.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "orvo_testing/temp_dir.h"

namespace desktop_policy::storage {
namespace {

namespace fs = std::filesystem;

// A temporary tree of files of given sizes.
class Tree : public orvo_testing::TempDir {
 public:
  fs::path file(const fs::path& relative, std::size_t bytes) const { return write(relative, std::string(bytes, 'x')); }
};

std::vector<std::string> names_of(const StorageSnapshot& snapshot, StorageCategory category) {
  std::vector<std::string> names;
  for (const auto& item : snapshot.items) {
    if (item.category == category) names.push_back(item.name);
  }
  return names;
}

TEST(StorageScan, MeasuresTopLevelEntriesWithoutFollowingLinksOrCountingPackagesTwice) {
  Tree tree;
  const auto data = tree.root() / "data";
  tree.file("data/orvo/packages/notes/app.bin", 64 * 1024);
  tree.file("data/orvo/state.json", 100);
  tree.file("data/photos/a.jpg", 32 * 1024);
  tree.file("outside/big.bin", 1024 * 1024);
  fs::create_directory_symlink(tree.root() / "outside", data / "linked");

  StorageRoots roots{data / "orvo/packages", data, tree.root() / "no-cache"};
  const StorageSnapshot snapshot = scan_storage(roots);

  EXPECT_EQ(names_of(snapshot, StorageCategory::InstalledApps), std::vector<std::string>{"notes"});
  EXPECT_EQ(names_of(snapshot, StorageCategory::AppData), (std::vector<std::string>{"linked", "orvo", "photos"}));
  EXPECT_EQ(snapshot.unmeasured, std::vector<StorageCategory>{StorageCategory::Cache});
  EXPECT_TRUE(snapshot.is_unmeasured(StorageCategory::Cache));

  const auto totals = snapshot.totals();
  EXPECT_FALSE(totals.contains(StorageCategory::Cache));
  EXPECT_GE(totals.at(StorageCategory::InstalledApps), 64u * 1024);
  for (const auto& item : snapshot.items) {
    // The link is the size of a link, not of the megabyte behind it; the packages are not part of
    // "orvo" in the data directory.
    if (item.name == "linked") EXPECT_LT(item.size, 64u * 1024);
    if (item.name == "orvo") EXPECT_LT(item.size, 64u * 1024);
  }
}

TEST(StorageScan, AnEmptyRootIsMeasuredAsZeroAndAMissingOneIsNot) {
  Tree tree;
  fs::create_directories(tree.root() / "cache");
  const StorageSnapshot snapshot = scan_storage(StorageRoots{std::nullopt, tree.root() / "missing", tree.root() / "cache"});
  EXPECT_EQ(snapshot.unmeasured, (std::vector<StorageCategory>{StorageCategory::InstalledApps, StorageCategory::AppData}));
  EXPECT_EQ(snapshot.totals().at(StorageCategory::Cache), 0u);
}

class CacheCleanup : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.file("cache/thumbnails/1.png", 8192);
    tree.file("cache/fonts.cache", 4096);
    outside_file = tree.file("keep/document.txt", 10);
    tree.file("keep/dir/inner.txt", 10);
    fs::create_symlink(outside_file, cache() / "file-link");
    fs::create_directory_symlink(tree.root() / "keep/dir", cache() / "dir-link");
    tree.file("cache/swapped/old.bin", 10);
  }
  fs::path cache() const { return tree.root() / "cache"; }

  Tree tree;
  fs::path outside_file;
};

TEST_F(CacheCleanup, RemovesOnlyTheListedEntriesAndNeverWhatLinksPointAt) {
  auto preview = preview_cache_cleanup(cache());
  ASSERT_TRUE(preview) << preview.error();
  ASSERT_EQ(preview->entries.size(), 5u);
  EXPECT_EQ(preview->entries[0].path, cache() / "dir-link");
  EXPECT_GT(preview->total, 0u);

  // After the preview, a directory becomes a link to a directory outside, and a new entry appears.
  fs::remove_all(cache() / "swapped");
  fs::create_directory_symlink(tree.root() / "keep", cache() / "swapped");
  tree.file("cache/arrived-later", 10);

  const std::size_t all[] = {0, 1, 2, 3, 4};
  ASSERT_TRUE(apply_cleanup(*preview, all));
  EXPECT_TRUE(fs::exists(outside_file));
  EXPECT_TRUE(fs::exists(tree.root() / "keep/dir/inner.txt"));
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(cache())) left.push_back(entry.path().filename());
  EXPECT_EQ(left, std::vector<std::string>{"arrived-later"});

  // Entries already gone count as removed.
  EXPECT_TRUE(apply_cleanup(*preview, all));
}

TEST_F(CacheCleanup, RefusesEntriesOutsideTheCacheBeforeRemovingAnything) {
  auto preview = preview_cache_cleanup(cache());
  ASSERT_TRUE(preview);
  const std::size_t first[] = {0};
  for (const fs::path& forged : {cache() / "..", cache() / "thumbnails/1.png", tree.root() / "keep"}) {
    CleanupPreview changed = *preview;
    changed.entries.push_back({forged, 1});
    const std::size_t both[] = {0, changed.entries.size() - 1};
    auto result = apply_cleanup(changed, both);
    ASSERT_FALSE(result) << forged;
    EXPECT_NE(result.error().text().find("not an entry of the cache directory"), std::string::npos);
    EXPECT_TRUE(fs::exists(cache() / "dir-link")) << "nothing is removed when one entry is refused";
  }
  const std::size_t beyond[] = {99};
  EXPECT_FALSE(apply_cleanup(*preview, beyond));
  EXPECT_TRUE(apply_cleanup(*preview, first));
}

TEST_F(CacheCleanup, AnUnreadableRootHasNoPreviewAndTheFirstFailureStops) {
  EXPECT_FALSE(preview_cache_cleanup(tree.root() / "missing"));
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not stop root";
  auto preview = preview_cache_cleanup(cache());
  ASSERT_TRUE(preview);
  fs::permissions(cache() / "thumbnails", fs::perms::owner_read | fs::perms::owner_exec);
  std::vector<std::size_t> all(preview->entries.size());
  for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
  auto result = apply_cleanup(*preview, all);
  fs::permissions(cache() / "thumbnails", fs::perms::owner_all);
  ASSERT_FALSE(result);
  EXPECT_NE(result.error().text().find("thumbnails/1.png"), std::string::npos) << result.error().text();
}

}  // namespace
}  // namespace desktop_policy::storage
