#pragma once
// What the catalogue tests share: inputs built against an empty document, default preferences and
// stand-in queries, and short reads of a built resource.
#include <string>
#include <vector>

#include "catalogues/queries/device_queries.h"
#include "catalogues/section_inputs.h"
#include "orvo_actions/action_args.h"
#include "orvo_actions/resource.h"
#include "orvo_doc/document.h"
#include "../support/resource_names.h"

namespace settings::actions::testing {

// Device queries that answer what the test put in.
class FakeDeviceQueries final : public DeviceQueries {
 public:
  std::vector<BluetoothDeviceEntry> devices;
  std::optional<ChargeCapEntry> charge_cap;

  std::vector<BluetoothDeviceEntry> bluetooth_devices() const override { return devices; }
  std::optional<ChargeCapEntry> charge_capability() const override { return charge_cap; }
};

// Section inputs over the given device queries; the other families answer nothing.
class Inputs {
 public:
  explicit Inputs(const DeviceQueries& devices = offline_queries().devices)
      : queries_{devices, offline_queries().media, offline_queries().input, offline_queries().lists,
                 offline_queries().mesh} {}

  SectionInputs get() const { return {document_, preferences_, {}, queries_}; }
  const CatalogueQueries& queries() const { return queries_; }

 private:
  orvo_doc::Document document_;
  preferences::Preferences preferences_;
  CatalogueQueries queries_;
};

inline const orvo_actions::ActionSpec& action(const orvo_actions::Resource& resource, std::string_view name) {
  static const orvo_actions::ActionSpec missing{};
  const auto* found = resource.find_action(name);
  return found ? *found : missing;
}

// The payload an action sends for the given arguments, or the build error's message.
inline std::string payload(const orvo_actions::ActionSpec& spec, std::string_view args_json = "{}") {
  auto built = spec.build_json(args_json);
  if (!built) return "error: " + built.error().message;
  return built->payload;
}

// The parameter's allowed values, or empty when the action has no such parameter.
inline std::vector<std::string> allowed(const orvo_actions::ActionSpec& spec, std::string_view param) {
  const auto* found = spec.find_param(param);
  return found ? found->allowed_values : std::vector<std::string>{};
}

}  // namespace settings::actions::testing
