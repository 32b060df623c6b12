// JSON descriptions of the system payloads: variant names and fields in declaration order.
#include "actions/system_operations.h"

#include "actions/payload_json.h"

namespace settings::actions {

using orvo_json::externally_tagged;
using orvo_json::field;
using orvo_json::struct_variant;
using orvo_json::unit_variant;

constexpr auto describe_json(orvo_json::Tag<UpdateOperation>) {
  using namespace update_operation;
  return externally_tagged<UpdateOperation>(
      "UpdateOperation", unit_variant<Check>("Check"), unit_variant<Restart>("Restart"),
      unit_variant<ReviewRollback>("ReviewRollback"), unit_variant<Rollback>("Rollback"),
      unit_variant<RefreshFirmware>("RefreshFirmware"), unit_variant<InstallFirmware>("InstallFirmware"),
      struct_variant("SetAutomatic", field("enabled", &SetAutomatic::enabled)),
      struct_variant("SetSchedule", field("schedule", &SetSchedule::schedule)),
      struct_variant("SetMetered", field("allowed", &SetMetered::allowed)));
}

constexpr auto describe_json(orvo_json::Tag<KeyboardSourceOperation>) {
  using namespace keyboard_source_operation;
  return externally_tagged<KeyboardSourceOperation>("KeyboardSourceOperation",
                                                    struct_variant("Add", field("label", &Add::label)),
                                                    struct_variant("MoveUp", field("index", &MoveUp::index)),
                                                    struct_variant("MoveDown", field("index", &MoveDown::index)),
                                                    struct_variant("Remove", field("index", &Remove::index)));
}

constexpr auto describe_json(orvo_json::Tag<InputOperation>) {
  using namespace input_operation;
  return externally_tagged<InputOperation>(
      "InputOperation",
      struct_variant("SetTouchpadNaturalScroll", field("enabled", &SetTouchpadNaturalScroll::enabled)),
      struct_variant("SetMouseNaturalScroll", field("enabled", &SetMouseNaturalScroll::enabled)),
      struct_variant("SetTapToClick", field("enabled", &SetTapToClick::enabled)),
      struct_variant("SetTouchpadPointerSpeed", field("value", &SetTouchpadPointerSpeed::value)),
      struct_variant("SetMousePointerSpeed", field("value", &SetMousePointerSpeed::value)),
      struct_variant("SetKeyRepeat", field("value", &SetKeyRepeat::value)),
      struct_variant("SetTapDrag", field("enabled", &SetTapDrag::enabled)),
      struct_variant("SetDisableWhileTyping", field("enabled", &SetDisableWhileTyping::enabled)),
      struct_variant("SetMiddleEmulation", field("enabled", &SetMiddleEmulation::enabled)),
      struct_variant("SetLeftHanded", field("enabled", &SetLeftHanded::enabled)),
      struct_variant("SetTouchpadGestures", field("enabled", &SetTouchpadGestures::enabled)),
      struct_variant("SetAccelerationProfile", field("profile", &SetAccelerationProfile::profile)),
      struct_variant("SetComposeKey", field("key", &SetComposeKey::key)),
      struct_variant("SetActiveSource", field("label", &SetActiveSource::label)));
}

constexpr auto describe_json(orvo_json::Tag<TimeDateOperation>) {
  using namespace time_date_operation;
  return externally_tagged<TimeDateOperation>(
      "TimeDateOperation", struct_variant("SetAutomaticTime", field("enabled", &SetAutomaticTime::enabled)),
      struct_variant("SetTimezone", field("timezone", &SetTimezone::timezone)),
      struct_variant("SetHourCycle", field("h24", &SetHourCycle::h24)));
}

constexpr auto describe_json(orvo_json::Tag<PowerOperation>) {
  using namespace power_operation;
  return externally_tagged<PowerOperation>(
      "PowerOperation", struct_variant("SetChargeLimit", field("percent", &SetChargeLimit::percent)),
      struct_variant("SetProfile", field("profile", &SetProfile::profile)),
      struct_variant("SetAutoSuspend", field("enabled", &SetAutoSuspend::enabled)),
      struct_variant("SetBlankTimeout", field("label", &SetBlankTimeout::label)),
      struct_variant("SetLockTimeout", field("label", &SetLockTimeout::label)),
      struct_variant("SetSuspendTimeout", field("profile", &SetSuspendTimeout::profile),
                     field("label", &SetSuspendTimeout::label)),
      struct_variant("SetLidAction", field("action", &SetLidAction::action)),
      struct_variant("SetPowerKeyAction", field("action", &SetPowerKeyAction::action)),
      struct_variant("SetCriticalAction", field("action", &SetCriticalAction::action)));
}

constexpr auto describe_json(orvo_json::Tag<StorageOperation>) {
  using namespace storage_operation;
  return externally_tagged<StorageOperation>("StorageOperation", unit_variant<CleanupCaches>("CleanupCaches"),
                                             unit_variant<FreeSyncedFiles>("FreeSyncedFiles"),
                                             unit_variant<OpenDisks>("OpenDisks"),
                                             unit_variant<OpenBackups>("OpenBackups"));
}

constexpr auto describe_json(orvo_json::Tag<UserOperation>) {
  using namespace user_operation;
  return externally_tagged<UserOperation>(
      "UserOperation",
      struct_variant("SetAdmin", field("username", &SetAdmin::username), field("admin", &SetAdmin::admin)),
      struct_variant("SetAutologin", field("username", &SetAutologin::username),
                     field("enabled", &SetAutologin::enabled)),
      struct_variant("Remove", field("username", &Remove::username), field("remove_files", &Remove::remove_files)));
}
template std::string encode_payload(const UpdateOperation&);
template std::expected<UpdateOperation, orvo_json::Error> decode_payload<UpdateOperation>(std::string_view);
template std::string encode_payload(const KeyboardSourceOperation&);
template std::expected<KeyboardSourceOperation, orvo_json::Error> decode_payload<KeyboardSourceOperation>(
    std::string_view);
template std::string encode_payload(const InputOperation&);
template std::expected<InputOperation, orvo_json::Error> decode_payload<InputOperation>(std::string_view);
template std::string encode_payload(const TimeDateOperation&);
template std::expected<TimeDateOperation, orvo_json::Error> decode_payload<TimeDateOperation>(std::string_view);
template std::string encode_payload(const PowerOperation&);
template std::expected<PowerOperation, orvo_json::Error> decode_payload<PowerOperation>(std::string_view);
template std::string encode_payload(const StorageOperation&);
template std::expected<StorageOperation, orvo_json::Error> decode_payload<StorageOperation>(std::string_view);
template std::string encode_payload(const UserOperation&);
template std::expected<UserOperation, orvo_json::Error> decode_payload<UserOperation>(std::string_view);

}  // namespace settings::actions
