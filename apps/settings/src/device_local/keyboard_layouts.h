#pragma once
// The keyboard layout catalogue as the keyboard operations use it: entries in catalogue order, each
// an input-source id ("us", "de(nodeadkeys)") and the display name the controls show. Operations
// name a source by its display name; the preferences store its id.
#include <functional>
#include <string>
#include <vector>

namespace settings::device_local {

struct KeyboardLayoutEntry {
  std::string id;
  std::string display_name;
  friend bool operator==(const KeyboardLayoutEntry&, const KeyboardLayoutEntry&) = default;
};

// Reads the catalogue; called only by the operations that look a source up, once per operation.
using KeyboardLayoutCatalogue = std::function<std::vector<KeyboardLayoutEntry>()>;

}  // namespace settings::device_local
