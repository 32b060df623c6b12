#include "catalogues/queries/query_cache.h"

#include <mutex>
#include <thread>
#include <vector>
#include <utility>

#include "catalogues/queries/device_queries.h"
#include "catalogues/queries/input_queries.h"
#include "catalogues/queries/list_queries.h"
#include "catalogues/queries/media_queries.h"
#include "catalogues/queries/mesh_model_queries.h"

namespace settings::actions {
namespace {

// The values the slow queries last gave, under one lock; reads copy them out.
struct Kept {
  mutable std::mutex mutex;
  std::vector<BluetoothDeviceEntry> bluetooth;
  std::vector<os_actions::printing::PrinterQueue> queues;
  std::vector<os_actions::printing::PrintJob> jobs;
  std::optional<ModelSnapshot> models;

  template <class T>
  T read(T Kept::*member) const {
    std::lock_guard lock(mutex);
    return this->*member;
  }
  template <class T>
  void keep(T Kept::*member, T value) {
    std::lock_guard lock(mutex);
    this->*member = std::move(value);
  }
};

class KeptDevices final : public DeviceQueries {
 public:
  KeptDevices(const DeviceQueries& source, const Kept& kept) : source_(source), kept_(kept) {}
  std::vector<BluetoothDeviceEntry> bluetooth_devices() const override { return kept_.read(&Kept::bluetooth); }
  std::optional<ChargeCapEntry> charge_capability() const override { return source_.charge_capability(); }

 private:
  const DeviceQueries& source_;
  const Kept& kept_;
};

class KeptLists final : public ListQueries {
 public:
  KeptLists(const ListQueries& source, const Kept& kept) : source_(source), kept_(kept) {}
  std::vector<panes::users::LocalUser> local_users() const override { return source_.local_users(); }
  std::vector<desktop_entry::DesktopEntry> desktop_apps() const override { return source_.desktop_apps(); }
  std::vector<launcher::registry::InstalledPackage> launcher_packages() const override {
    return source_.launcher_packages();
  }
  desktop_policy::defaults::PersonalDefaults personal_defaults() const override {
    return source_.personal_defaults();
  }
  std::vector<os_actions::printing::PrinterQueue> printer_queues() const override { return kept_.read(&Kept::queues); }
  std::vector<os_actions::printing::PrintJob> print_jobs() const override { return kept_.read(&Kept::jobs); }

 private:
  const ListQueries& source_;
  const Kept& kept_;
};

class KeptMeshModels final : public MeshModelQueries {
 public:
  KeptMeshModels(const MeshModelQueries& source, const Kept& kept) : source_(source), kept_(kept) {}
  std::vector<MeshWorkspace> workspaces() const override { return source_.workspaces(); }
  std::vector<ProviderEntry> provider_profiles() const override { return source_.provider_profiles(); }
  std::optional<ModelSnapshot> model_snapshot() const override { return kept_.read(&Kept::models); }

 private:
  const MeshModelQueries& source_;
  const Kept& kept_;
};

}  // namespace

struct QueryCache::Cached {
  Cached(const CatalogueQueries& source)
      : source(source),
        devices(source.devices, kept),
        lists(source.lists, kept),
        mesh(source.mesh, kept),
        queries{devices, source.media, source.input, lists, mesh} {}

  const CatalogueQueries& source;
  std::mutex refreshing;  // one refresh at a time, so an older reading never replaces a newer one
  Kept kept;
  KeptDevices devices;
  KeptLists lists;
  KeptMeshModels mesh;
  CatalogueQueries queries;
};

QueryCache::QueryCache(const CatalogueQueries& source) : cached_(std::make_unique<Cached>(source)) {}

QueryCache::~QueryCache() = default;

const CatalogueQueries& QueryCache::queries() const { return cached_->queries; }

void QueryCache::refresh(std::optional<settings_app::SettingsSection> section) {
  using settings_app::SettingsSection;
  const CatalogueQueries& source = cached_->source;
  Kept& kept = cached_->kept;
  auto wanted = [&](SettingsSection owner) { return !section || *section == owner; };
  std::lock_guard one_at_a_time(cached_->refreshing);
  // The sources are read side by side, so a listing waits for the slowest rather than for all of
  // them in turn; each value is kept without the readers' lock held while its source is asked.
  std::vector<std::jthread> reads;
  auto read = [&](SettingsSection owner, auto body) {
    if (wanted(owner)) reads.emplace_back(body);
  };
  read(SettingsSection::Bluetooth, [&] { kept.keep(&Kept::bluetooth, source.devices.bluetooth_devices()); });
  read(SettingsSection::Printers, [&] {
    auto queues = source.lists.printer_queues();
    auto jobs = source.lists.print_jobs();
    std::lock_guard lock(kept.mutex);
    kept.queues = std::move(queues);
    kept.jobs = std::move(jobs);
  });
  read(SettingsSection::AgentModels, [&] { kept.keep(&Kept::models, source.mesh.model_snapshot()); });
  // Kept by the source itself: the sound graph by its background reader (whose first snapshot
  // waits for the first read), the layouts once per process, the applications until a directory
  // changes. A read here spares the interface thread the first one.
  read(SettingsSection::Sound, [&] { (void)source.media.audio_graph(); });
  read(SettingsSection::MouseKeyboard, [&] { (void)source.input.keyboard_layouts(); });
  if (wanted(SettingsSection::Notifications) || wanted(SettingsSection::DefaultApps)) {
    reads.emplace_back([&] { (void)source.lists.desktop_apps(); });
  }
}

QueryCache& system_query_cache() {
  // Never destroyed: a door thread may still be refreshing while the process ends.
  static QueryCache* const cache = new QueryCache(system_queries());
  return *cache;
}

}  // namespace settings::actions
