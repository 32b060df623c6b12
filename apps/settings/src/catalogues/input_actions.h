#pragma once
// Builders of the Mouse & Keyboard section (sections/input.cpp) that its bindings and tests name.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "actions/input_handlers.h"
#include "orvo_actions/action_spec.h"
#include "preferences/records.h"

namespace orvo_doc {
class Document;
}

namespace settings::actions {

inline constexpr std::string_view kInputSourcePrefix = "settings.input-source:";
inline constexpr std::string_view kInputSourceKind = "settings.input-source";

// The two text-assistance settings: on until switched off, kept in the settings file's
// "text_assistance" section.
inline constexpr std::string_view kCheckSpellingKey = "text.check_spelling";
inline constexpr std::string_view kAutoCorrectKey = "text.auto_correct";

// The flips "spell-checking" and "auto-correct": each sets its key to the opposite of `current`.
orvo_actions::ActionSpec spell_checking_action(bool current);
orvo_actions::ActionSpec auto_correct_action(bool current);
// A text-assistance setting's current value: the document's, else the settings file's, else on.
bool text_assistance_flag(const orvo_doc::Document& document, std::string_view key);

// The labels the Mouse & Keyboard controls show for the saved pointer acceleration ("Flat" for
// "flat", else "Adaptive") and compose key ("Right Alt", "Menu", "Caps Lock", "Right Super",
// "Left Super"; "Disabled" when unset or unknown).
std::string acceleration_profile_label(const preferences::InputPrefs& input);
std::string compose_key_label(const preferences::InputPrefs& input);

// A device-local input choice: kind "settings.input-operation", class 1, description "Choose an
// input preference", one text parameter "choice" ("Device-local input value") offering `allowed`
// in order, tags "device-local", "input". Invoked, it sends the operation `which` makes of the
// choice, or of `current` when no choice is given. None when the contract cannot be attached.
std::optional<orvo_actions::ActionSpec> input_choice_action(std::string id, std::string title, std::string current,
                                                            std::vector<std::string> allowed, InputChoice which);

}  // namespace settings::actions
