// The cache the interface thread builds catalogues over: slow queries are read only by a refresh,
// on the refreshing thread; reads answer what it kept and never wait for the source.
#include "catalogues/queries/query_cache.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <latch>

#include "catalogue_support.h"
#include "catalogues/queries/list_queries.h"
#include "catalogues/queries/media_queries.h"
#include "catalogues/queries/mesh_model_queries.h"
#include "catalogues/resource_tree.h"

namespace settings::actions {
namespace {

using settings_app::SettingsSection;

// A source that counts its reads; the Bluetooth read can be held until the test lets it go.
struct CountingSource {
  struct Devices final : DeviceQueries {
    std::vector<BluetoothDeviceEntry> answer;
    mutable std::atomic<int> reads{0};
    std::latch* hold = nullptr;
    std::vector<BluetoothDeviceEntry> bluetooth_devices() const override {
      ++reads;
      if (hold) hold->wait();
      return answer;
    }
  } devices;
  struct Media final : MediaQueries {
    mutable std::atomic<int> reads{0};
    media::audio::AudioGraph audio_graph() const override {
      ++reads;
      return {};
    }
  } media;
  struct Lists final : ListQueries {
    mutable std::atomic<int> printer_reads{0};
    mutable std::atomic<int> user_reads{0};
    std::vector<panes::users::LocalUser> local_users() const override {
      ++user_reads;
      return {};
    }
    std::vector<os_actions::printing::PrinterQueue> printer_queues() const override {
      ++printer_reads;
      return {};
    }
    std::vector<os_actions::printing::PrintJob> print_jobs() const override {
      ++printer_reads;
      return {};
    }
  } lists;
  struct Mesh final : MeshModelQueries {
    mutable std::atomic<int> reads{0};
    std::optional<ModelSnapshot> model_snapshot() const override {
      ++reads;
      return ModelSnapshot{};
    }
  } mesh;
  CatalogueQueries queries{devices, media, offline_queries().input, lists, mesh};

  int slow_reads() const { return devices.reads + lists.printer_reads + mesh.reads; }
};

TEST(QueryCache, SlowQueriesAreReadOnlyByARefreshOfTheSectionsThatUseThem) {
  CountingSource source;
  source.devices.answer = {{"/org/bluez/hci0/dev_AA", "Headset", true, false}};
  QueryCache cache(source.queries);

  // Before a refresh: nothing kept, nothing slow asked; local files are still read.
  EXPECT_TRUE(cache.queries().devices.bluetooth_devices().empty());
  EXPECT_FALSE(cache.queries().mesh.model_snapshot());
  (void)build_settings_actions(SettingsSection::Bluetooth, testing::Inputs(cache.queries().devices).get());
  (void)cache.queries().lists.local_users();
  (void)cache.queries().media.audio_graph();
  EXPECT_EQ(source.slow_reads(), 0);
  EXPECT_EQ(source.lists.user_reads, 1);
  EXPECT_EQ(source.media.reads, 1) << "the sound graph is kept current by its own reader";

  cache.refresh(SettingsSection::Bluetooth);
  EXPECT_EQ(source.devices.reads, 1);
  EXPECT_EQ(source.slow_reads(), 1) << "only the section's own queries";
  const auto bluetooth = build_settings_actions(SettingsSection::Bluetooth, testing::Inputs(cache.queries().devices).get());
  EXPECT_EQ(bluetooth.children.size(), 1u) << "the catalogue finds the device the refresh read";

  source.devices.answer.clear();
  EXPECT_EQ(cache.queries().devices.bluetooth_devices().size(), 1u) << "kept until the next refresh";
  cache.refresh(SettingsSection::Network);
  EXPECT_EQ(source.slow_reads(), 1) << "a section without slow queries reads none";

  cache.refresh(std::nullopt);
  EXPECT_TRUE(cache.queries().devices.bluetooth_devices().empty());
  EXPECT_EQ(source.devices.reads, 2);
  EXPECT_EQ(source.media.reads, 2) << "a refresh makes the source's first read";
  EXPECT_EQ(source.lists.printer_reads, 2) << "queues and jobs";
  EXPECT_EQ(source.mesh.reads, 1);
  EXPECT_TRUE(cache.queries().mesh.model_snapshot());
}

TEST(QueryCache, AReadNeverWaitsForARefreshInProgress) {
  CountingSource source;
  source.devices.answer = {{"/org/bluez/hci0/dev_AA", "Headset", true, false}};
  std::latch release(1);
  source.devices.hold = &release;
  QueryCache cache(source.queries);

  auto refreshing = std::async(std::launch::async, [&] { cache.refresh(std::nullopt); });
  while (source.devices.reads == 0) std::this_thread::yield();
  // The refresh is now inside the source: the interface thread's reads answer at once, with what
  // was kept before.
  EXPECT_TRUE(cache.queries().devices.bluetooth_devices().empty());
  (void)cache.queries().mesh.model_snapshot();
  release.count_down();
  refreshing.get();
  EXPECT_EQ(cache.queries().devices.bluetooth_devices().size(), 1u);
}

}  // namespace
}  // namespace settings::actions
