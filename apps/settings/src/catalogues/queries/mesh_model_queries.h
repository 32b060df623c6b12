#pragma once
// Live queries of the Devices & Sync and Agent Models catalogues: the device-mesh workspaces kept on
// this device, the model-provider profiles and the local-model snapshot. The base class answers as
// if nothing were configured; a query that fails on the running system answers the same.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace settings::actions {

struct MeshWorkspace {
  std::uint64_t id = 0;
  std::string label;
  bool operator==(const MeshWorkspace&) const = default;
};

enum class ProviderPlacement : std::uint8_t { Local, Hosted, PrivateNetwork };

// What the catalogue reads of one provider profile, in configuration order.
struct ProviderEntry {
  std::string id;
  std::string protocol;  // "anthropic" or "openai-compatible"
  bool enabled = false;
  ProviderPlacement placement = ProviderPlacement::Hosted;
  std::string display_label;
  bool operator==(const ProviderEntry&) const = default;
};

enum class ModelFit : std::uint8_t { Excellent, Good, Tight, Unsupported };
enum class ModelPhase : std::uint8_t { Downloading, Installing, Ready, Error };
enum class AcceleratorState : std::uint8_t { Available, Queued, Staging, RestartRequired, Active, Error };

struct ModelPackage {
  std::string id;
  std::string name;
  std::string revision;
  bool operator==(const ModelPackage&) const = default;
};

struct ModelRecommendation {
  ModelFit fit = ModelFit::Good;
  ModelPackage package;
  bool operator==(const ModelRecommendation&) const = default;
};

struct InstalledModel {
  ModelPackage package;
  ModelPhase phase = ModelPhase::Ready;
  bool running = false;  // meaningful for a ready model only
  bool operator==(const InstalledModel&) const = default;
};

struct ModelSnapshot {
  std::optional<ModelRecommendation> recommendation;
  std::vector<InstalledModel> installed;
  std::optional<AcceleratorState> accelerator;
  bool operator==(const ModelSnapshot&) const = default;
};

class MeshModelQueries {
 public:
  virtual ~MeshModelQueries() = default;
  // The workspaces this device keeps, with their labels, in list order.
  virtual std::vector<MeshWorkspace> workspaces() const { return {}; }
  // The provider profiles of the provider configuration, in order.
  virtual std::vector<ProviderEntry> provider_profiles() const { return {}; }
  // The local-model snapshot of the model manager; none when it is unavailable.
  virtual std::optional<ModelSnapshot> model_snapshot() const { return std::nullopt; }
};

// The queries against the running system; one instance per process.
const MeshModelQueries& system_mesh_model_queries();

}  // namespace settings::actions
