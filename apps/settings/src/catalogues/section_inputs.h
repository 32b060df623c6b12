#pragma once
// What a section's catalogue is built from: the settings document, a preferences record, the
// configured external accounts and the live queries of the running system. The bindings of the
// panes' controls build their section with `offline_queries()`, so binding a control never asks
// the system anything.
#include <span>

#include "preferences/records.h"

namespace orvo_doc {
class Document;
}
namespace accounts {
struct Account;
}

namespace settings::actions {

class DeviceQueries;
class MediaQueries;
class InputQueries;
class ListQueries;
class MeshModelQueries;

// One interface per family of live queries. Each family's base class answers "nothing there"
// (no devices, no users, no applications); its system implementation reads the running machine.
struct CatalogueQueries {
  const DeviceQueries& devices;   // Bluetooth devices, battery charge cap
  const MediaQueries& media;      // audio graph, display outputs
  const InputQueries& input;      // keyboard layouts, assistive programs
  const ListQueries& lists;       // users, applications, printers
  const MeshModelQueries& mesh;   // device-mesh workspaces, model providers and models
};

// Every query answers nothing.
const CatalogueQueries& offline_queries();
// Every query reads the running system.
const CatalogueQueries& system_queries();

struct SectionInputs {
  const orvo_doc::Document& document;
  const preferences::Preferences& preferences;
  std::span<const ::accounts::Account> accounts;
  const CatalogueQueries& queries;
};

}  // namespace settings::actions
