// The Mouse & Keyboard section: pointer and keyboard preferences of this device as device-local
// input operations, the two text-assistance flips, the keyboard input sources with their choice of
// the active one and the "add-source" picker, and one child per configured source.
#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

#include <nlohmann/json.hpp>

#include "actions/contracts.h"
#include "actions/input_handlers.h"
#include "actions/operation_actions.h"
#include "actions/setting_handlers.h"
#include "catalogues/live_children.h"
#include "catalogues/action_builders.h"
#include "catalogues/input_actions.h"
#include "catalogues/queries/input_queries.h"
#include "catalogues/section_catalogues.h"
#include "catalogues/section_shell.h"
#include "orvo_actions/action_param.h"
#include "orvo_actions/action_constructors.h"
#include "lib/settings_document.h"
#include "orvo_log/log.h"
#include "preferences/setting_fields.h"

namespace settings::actions {
namespace {

using orvo_actions::ActionParam;
using orvo_actions::ActionSpec;
using orvo_actions::OperationClass;
using orvo_actions::Resource;
using settings_store::hardware::KeyboardLayout;

// More sources than the compositor's four XKB groups cannot be active, so "add-source" is offered
// only while at most three are configured.
constexpr std::size_t kMaxSourcesBeforeAdd = 3;

struct SwitchEntry {
  std::string_view id;
  std::string_view title;
  InputSwitch which;
};

constexpr std::array<SwitchEntry, 8> kSwitches{{
    {"touchpad-natural-scroll", "Set touchpad natural scrolling", InputSwitch::TouchpadNaturalScroll},
    {"mouse-natural-scroll", "Set mouse natural scrolling", InputSwitch::MouseNaturalScroll},
    {"tap-to-click", "Set tap to click", InputSwitch::TapToClick},
    {"tap-drag", "Set tap and drag", InputSwitch::TapDrag},
    {"disable-while-typing", "Set disable while typing", InputSwitch::DisableWhileTyping},
    {"middle-emulation", "Set middle-button emulation", InputSwitch::MiddleEmulation},
    {"left-handed", "Set left-handed pointer buttons", InputSwitch::LeftHanded},
    {"touchpad-gestures", "Set touchpad gestures", InputSwitch::TouchpadGestures},
}};

struct LevelEntry {
  std::string_view id;
  std::string_view title;
  InputLevel which;
};

constexpr std::array<LevelEntry, 3> kLevels{{
    {"touchpad-speed", "Set touchpad speed", InputLevel::TouchpadPointerSpeed},
    {"mouse-speed", "Set mouse speed", InputLevel::MousePointerSpeed},
    {"key-repeat", "Set key-repeat rate", InputLevel::KeyRepeat},
}};

// The compose key's labels and the XKB option names the input preferences keep.
constexpr std::array<std::pair<std::string_view, std::string_view>, 5> kComposeKeys{{
    {"ralt", "Right Alt"},
    {"menu", "Menu"},
    {"caps", "Caps Lock"},
    {"rwin", "Right Super"},
    {"lwin", "Left Super"},
}};

// Document keys of the pane's two dropdowns; when a client has written one, it is the current value.
constexpr std::string_view kAccelerationProfileKey = "input.accel_profile";
constexpr std::string_view kComposeKeyKey = "input.compose_key";

std::optional<ActionSpec> with_contract(ActionSpec spec, std::vector<std::string> tags) {
  std::string name = spec.name;
  auto attached = std::move(spec).with_contract(operation_contract(std::move(tags)));
  if (!attached) orvo_log::warn("input action contract refused", {{"action", name}});
  return attached;
}

void add(Resource& resource, std::optional<ActionSpec> spec) {
  if (spec) resource.actions.push_back(std::move(*spec));
}

std::optional<ActionSpec> switch_action(const SwitchEntry& entry) {
  std::vector<ActionParam> params;
  params.push_back(ActionParam::boolean("value", "Whether this local preference is enabled"));
  return with_contract(orvo_actions::typed_operation_spec(std::string(entry.id), std::string(entry.title),
                                                          "On or off on this device", OperationClass::Effect,
                                                          std::string(InputOperation::kKind), std::move(params),
                                                          input_switch_handler(entry.which)),
                       {"device-local", "input"});
}

std::optional<ActionSpec> level_action(const LevelEntry& entry) {
  std::vector<ActionParam> params;
  params.push_back(ActionParam::number("value", "New local input value")
                       .with_schema(nlohmann::ordered_json{{"minimum", 0.0}, {"maximum", 1.0}}));
  return with_contract(orvo_actions::typed_operation_spec(std::string(entry.id), std::string(entry.title),
                                                          "0.0 – 1.0", OperationClass::Effect,
                                                          std::string(InputOperation::kKind), std::move(params),
                                                          input_level_handler(entry.which)),
                       {"device-local", "input"});
}

// The catalogue's display name of a source id, none for an id the catalogue does not list.
std::optional<std::string> layout_name(std::span<const KeyboardLayout> catalogue, std::string_view id) {
  const auto hit = std::ranges::find(catalogue, id, &KeyboardLayout::id);
  if (hit == catalogue.end()) return std::nullopt;
  return hit->name;
}

std::optional<ActionSpec> active_source_action(std::span<const KeyboardLayout> catalogue,
                                               const preferences::InputPrefs& input) {
  std::vector<std::string> names;
  for (const auto& id : input.keyboard_layouts) {
    if (auto name = layout_name(catalogue, id)) names.push_back(std::move(*name));
  }
  std::string current = layout_name(catalogue, input.keyboard_layout).value_or(input.keyboard_layout);
  return input_choice_action("active-source", "Set active keyboard input source", std::move(current),
                             std::move(names), InputChoice::ActiveSource);
}

// The layouts a user can still add, by name, sorted; "add-source" exists only when there is one
// and the configured list has room.
std::optional<ActionSpec> add_source_action(std::span<const KeyboardLayout> catalogue,
                                            const std::vector<std::string>& configured) {
  if (configured.size() > kMaxSourcesBeforeAdd) return std::nullopt;
  std::vector<std::string> offered;
  for (const auto& layout : catalogue) {
    if (std::ranges::find(configured, layout.id) == configured.end()) offered.push_back(layout.name);
  }
  if (offered.empty()) return std::nullopt;
  std::ranges::sort(offered);
  std::string first = offered.front();
  std::vector<ActionParam> params;
  params.push_back(ActionParam::text("label", "Installed layout").with_choices(std::move(offered)));
  return with_contract(orvo_actions::typed_operation_spec(
                           "add-source", "Add keyboard input source", "Choose an installed keyboard layout",
                           OperationClass::Effect, std::string(KeyboardSourceOperation::kKind), std::move(params),
                           keyboard_source_add_handler(std::move(first))),
                       {"device-local", "input-source"});
}

Resource source_child(std::span<const KeyboardLayout> catalogue, const std::vector<std::string>& configured,
                      std::size_t index) {
  const std::string& id = configured[index];
  Resource child = Resource::make(std::string(kInputSourcePrefix) + id, std::string(kInputSourceKind),
                                  layout_name(catalogue, id).value_or(id));
  const auto position = static_cast<std::uint64_t>(index);
  if (index > 0) {
    add(child, operation_spec("move-up", "Move input source up", KeyboardSourceOperation::MoveUp{position}));
  }
  if (index + 1 < configured.size()) {
    add(child, operation_spec("move-down", "Move input source down", KeyboardSourceOperation::MoveDown{position}));
  }
  if (configured.size() >= 2) {
    add(child, operation_spec("remove", "Remove input source", KeyboardSourceOperation::Remove{position}));
  }
  return child;
}

}  // namespace

std::string acceleration_profile_label(const preferences::InputPrefs& input) {
  return input.accel_profile == "flat" ? "Flat" : "Adaptive";
}

std::string compose_key_label(const preferences::InputPrefs& input) {
  if (input.compose_key) {
    for (const auto& [option, label] : kComposeKeys) {
      if (*input.compose_key == option) return std::string(label);
    }
  }
  return "Disabled";
}

ActionSpec spell_checking_action(bool current) {
  return setting_flip_action("spell-checking", kCheckSpellingKey, current, "spell checking while typing");
}

ActionSpec auto_correct_action(bool current) {
  return setting_flip_action("auto-correct", kAutoCorrectKey, current, "automatic spelling correction");
}

bool text_assistance_flag(const orvo_doc::Document& document, std::string_view key) {
  if (auto value = lib::read_bool(document, orvo_doc::kRoot, key)) return *value;
  return preferences::stored_section_flag(key).value_or(true);
}

std::optional<ActionSpec> input_choice_action(std::string id, std::string title, std::string current,
                                              std::vector<std::string> allowed, InputChoice which) {
  std::vector<ActionParam> params;
  params.push_back(ActionParam::text("choice", "Device-local input value").with_choices(std::move(allowed)));
  return with_contract(orvo_actions::typed_operation_spec(std::move(id), std::move(title), "Choose an input preference",
                                                          OperationClass::Effect, std::string(InputOperation::kKind),
                                                          std::move(params),
                                                          input_choice_handler(which, std::move(current))),
                       {"device-local", "input"});
}

Resource input_resource(const SectionInputs& inputs) {
  const preferences::InputPrefs& input = inputs.preferences.input;
  Resource section = section_shell(settings_app::SettingsSection::MouseKeyboard);
  for (const auto& entry : kSwitches) add(section, switch_action(entry));
  for (const auto& entry : kLevels) add(section, level_action(entry));

  add(section, input_choice_action("acceleration-profile", "Set pointer acceleration profile",
                                   current_text(inputs.document, kAccelerationProfileKey,
                                                acceleration_profile_label(input)),
                                   {"Adaptive", "Flat"}, InputChoice::AccelerationProfile));
  add(section, input_choice_action("compose-key", "Set compose key",
                                   current_text(inputs.document, kComposeKeyKey, compose_key_label(input)),
                                   {"Disabled", "Right Alt", "Menu", "Caps Lock", "Right Super", "Left Super"},
                                   InputChoice::ComposeKey));

  section.actions.push_back(spell_checking_action(text_assistance_flag(inputs.document, kCheckSpellingKey)));
  section.actions.push_back(auto_correct_action(text_assistance_flag(inputs.document, kAutoCorrectKey)));

  const auto catalogue = inputs.queries.input.keyboard_layouts();
  add(section, active_source_action(catalogue, input));
  add(section, add_source_action(catalogue, input.keyboard_layouts));

  const std::size_t children = std::min(input.keyboard_layouts.size(), kMaxLiveChildren);
  for (std::size_t index = 0; index < children; ++index) {
    section.children.push_back(source_child(catalogue, input.keyboard_layouts, index));
  }
  return section;
}

}  // namespace settings::actions
