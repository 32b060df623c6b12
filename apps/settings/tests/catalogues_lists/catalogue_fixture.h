#pragma once
// Builds one section against a settings document, a preferences record and a fake of the live lists.
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "accounts/account.h"
#include "catalogues/queries/device_queries.h"
#include "catalogues/queries/input_queries.h"
#include "catalogues/queries/list_queries.h"
#include "catalogues/queries/media_queries.h"
#include "catalogues/queries/mesh_model_queries.h"
#include "catalogues/section_catalogues.h"
#include "orvo_actions/action_args.h"
#include "orvo_doc/document.h"
#include "preferences/records.h"
#include "../support/resource_names.h"

namespace settings::actions::testing {

class FakeLists final : public ListQueries {
 public:
  std::vector<panes::users::LocalUser> users;
  std::vector<desktop_entry::DesktopEntry> apps;
  desktop_policy::defaults::PersonalDefaults personal;
  std::vector<os_actions::printing::PrinterQueue> queues;
  std::vector<os_actions::printing::PrintJob> jobs;

  std::vector<panes::users::LocalUser> local_users() const override { return users; }
  std::vector<desktop_entry::DesktopEntry> desktop_apps() const override { return apps; }
  desktop_policy::defaults::PersonalDefaults personal_defaults() const override { return personal; }
  std::vector<os_actions::printing::PrinterQueue> printer_queues() const override { return queues; }
  std::vector<os_actions::printing::PrintJob> print_jobs() const override { return jobs; }
};

struct Catalogue {
  orvo_doc::Document document;
  preferences::Preferences preferences;
  std::vector<accounts::Account> accounts;
  FakeLists lists;
  DeviceQueries devices;
  MediaQueries media;
  InputQueries input;
  MeshModelQueries mesh;

  template <class Builder>
  orvo_actions::Resource build(Builder builder) const {
    const CatalogueQueries queries{devices, media, input, lists, mesh};
    return builder(SectionInputs{document, preferences, accounts, queries});
  }

  void put(std::string_view key, bool value) {
    ASSERT_TRUE(document.put(orvo_doc::kRoot, key, orvo_doc::ScalarValue::boolean(value)));
  }
  void put(std::string_view key, const char* value) {
    ASSERT_TRUE(document.put(orvo_doc::kRoot, key, orvo_doc::ScalarValue::str(value)));
  }
};

// What the action sends when invoked with the given arguments (JSON text), unchecked.
inline orvo_actions::EncodedAction invoke(const orvo_actions::ActionSpec& spec, const char* arguments = "{}") {
  return (*spec.encoder)(*orvo_actions::ActionArgs::parse(arguments));
}

inline const orvo_actions::ActionSpec& action(const orvo_actions::Resource& resource, std::string_view name) {
  const auto* spec = resource.find_action(name);
  if (spec == nullptr) throw std::runtime_error("no action " + std::string(name) + " on " + resource.id);
  return *spec;
}

}  // namespace settings::actions::testing
