#pragma once
// The keyboard layout catalogue as the keyboard operations read it: entries of an input-source id
// and the name the controls show. Operations name a source by that name; the preferences store
// its id.
#include <functional>
#include <vector>

#include "settings_store/keyboard_layouts.h"

namespace settings::device_local {

// Gives the catalogue; called only by the operations that look a source up, once per operation.
using KeyboardLayoutCatalogue = std::function<std::vector<settings_store::hardware::KeyboardLayout>()>;

}  // namespace settings::device_local
