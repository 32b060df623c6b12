#pragma once
// Reconciling a pane's settings with the settings document. A pane that mirrors a section of the
// preferences keeps each setting under its key and binds its control to the key followed by
// ".edit". Every pass compares the two with the pane's current value:
//
//   - a value under the key that differs from the pane's came from outside (another device, an
//     action): the pane takes it and shows it in the control, and emits nothing;
//   - otherwise a control value that differs is the user's choice: the pane emits it as a
//     `SetSetting` (which writes the key at once) and takes it;
//   - otherwise nothing changed.
//
// A text under the key that is none of the pane's choices (a foreign label) is never taken, so it
// keeps differing from the pane's label. The pane remembers, per key, the text last seen there and
// counts a text as arriving only when it differs from both: such a text is answered once, not on
// every pass, and a choice the user makes meanwhile is committed instead of being overwritten.
//
// A missing edit key is written with the value, so the control shows it from the first pass.
// Interface thread only.
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "actions/settings_action.h"
#include "orvo_doc/document.h"
#include "orvo_ui/action_host.h"
#include "preferences/setting_fields.h"

namespace settings::panes {

// Carries one setting action out (on the pane's working document, through its action host).
using EmitSetting = std::function<void(const actions::SettingsAction&)>;

// The emitter of a pane that owns `host`: each action goes through it onto `document`, in the
// context of this application. Both must outlive the emitter (one pass).
EmitSetting setting_emitter(orvo_ui::ActionHost& host, orvo_doc::Document& document);

template <class T>
struct Reconciled {
  T value;
  bool changed = false;
};

// The texts last seen under each text key.
using SeenTexts = std::map<std::string, std::string, std::less<>>;

Reconciled<bool> sync_bool_setting(orvo_doc::Document& document, orvo_doc::ObjId object, std::string_view key,
                                   bool current, const EmitSetting& emit);
Reconciled<std::string> sync_text_setting(orvo_doc::Document& document, orvo_doc::ObjId object,
                                          std::string_view key, std::string_view current, SeenTexts& seen,
                                          const EmitSetting& emit);

// Publishes a value as a `SetSetting` of the key.
void write_bool_setting(const EmitSetting& emit, std::string_view key, bool value);
void write_text_setting(const EmitSetting& emit, std::string_view key, std::string_view value);

// Writes the value a pane took for a shared vision setting under the setting's twin key too
// (preferences::shared_setting_twin), so the other page reads the same value; nothing for any other
// key.
void mirror_shared_setting(orvo_doc::Document& document, orvo_doc::ObjId object, std::string_view key,
                           const preferences::SettingFieldValue& value);

// Shows the value under the key in its control (the edit key), when the key holds one. A pane calls
// it for each setting as it opens: a control left from an earlier opening still holds the value of
// then, and would otherwise count as the user's choice and undo a change made since.
void show_stored_setting(orvo_doc::Document& document, orvo_doc::ObjId object, std::string_view key);

// The key of a setting's control.
std::string edit_key(std::string_view key);

}  // namespace settings::panes
