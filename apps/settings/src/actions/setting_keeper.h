#pragma once
// What a setting action from a window control or from outside leaves beyond the application's
// settings document: the value written through to the store of its key (preferences/setting_fields.h),
// so that it outlives the run even when no pane of its section is open to save it.
#include <expected>
#include <string>

#include "orvo_actions/executor.h"

namespace settings::actions {

// The action host's setting keeper: a settings action whose key and value the setting-key filter
// refuses is refused with the filter's message; one whose store cannot hold the value, with the
// store's message; otherwise the value is written through (when its key has a store) and the action
// may go on to the document. Actions of other namespaces pass untouched.
std::expected<void, std::string> keep_setting_action(const orvo_actions::TypedAction& action);

}  // namespace settings::actions
