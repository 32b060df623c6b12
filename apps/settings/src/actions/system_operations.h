#pragma once
// Payloads of the system areas: updates, keyboard sources, input, time and date, power, storage
// and users.
// Every enumeration here is externally tagged in JSON and carries its operation kind in `kKind`;
// operation_payload.h reads and writes them.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace settings::actions {

// Operating-system image and firmware updates.
namespace update_operation {
struct Check {
  bool operator==(const Check&) const = default;
};
struct Restart {
  bool operator==(const Restart&) const = default;
};
struct ReviewRollback {
  bool operator==(const ReviewRollback&) const = default;
};
struct Rollback {
  bool operator==(const Rollback&) const = default;
};
struct RefreshFirmware {
  bool operator==(const RefreshFirmware&) const = default;
};
struct InstallFirmware {
  bool operator==(const InstallFirmware&) const = default;
};
struct SetAutomatic {
  bool enabled = false;
  bool operator==(const SetAutomatic&) const = default;
};
struct SetSchedule {
  std::string schedule;
  bool operator==(const SetSchedule&) const = default;
};
struct SetMetered {
  bool allowed = false;
  bool operator==(const SetMetered&) const = default;
};
}  // namespace update_operation

struct UpdateOperation
    : std::variant<update_operation::Check, update_operation::Restart, update_operation::ReviewRollback,
                   update_operation::Rollback, update_operation::RefreshFirmware, update_operation::InstallFirmware,
                   update_operation::SetAutomatic, update_operation::SetSchedule, update_operation::SetMetered> {
  using variant::variant;
  static constexpr std::string_view kKind = "settings.update-operation";
  using Check = update_operation::Check;
  using Restart = update_operation::Restart;
  using ReviewRollback = update_operation::ReviewRollback;
  using Rollback = update_operation::Rollback;
  using RefreshFirmware = update_operation::RefreshFirmware;
  using InstallFirmware = update_operation::InstallFirmware;
  using SetAutomatic = update_operation::SetAutomatic;
  using SetSchedule = update_operation::SetSchedule;
  using SetMetered = update_operation::SetMetered;
};

// The list of active keyboard input sources; `index` is a zero-based position.
namespace keyboard_source_operation {
struct Add {
  std::string label;
  bool operator==(const Add&) const = default;
};
struct MoveUp {
  std::uint64_t index = 0;
  bool operator==(const MoveUp&) const = default;
};
struct MoveDown {
  std::uint64_t index = 0;
  bool operator==(const MoveDown&) const = default;
};
struct Remove {
  std::uint64_t index = 0;
  bool operator==(const Remove&) const = default;
};
}  // namespace keyboard_source_operation

struct KeyboardSourceOperation : std::variant<keyboard_source_operation::Add, keyboard_source_operation::MoveUp,
                                              keyboard_source_operation::MoveDown, keyboard_source_operation::Remove> {
  using variant::variant;
  static constexpr std::string_view kKind = "settings.keyboard-source-operation";
  using Add = keyboard_source_operation::Add;
  using MoveUp = keyboard_source_operation::MoveUp;
  using MoveDown = keyboard_source_operation::MoveDown;
  using Remove = keyboard_source_operation::Remove;
};

// Pointer devices and keyboard; `value` fields carry slider values, `profile` and `key` choice texts.
namespace input_operation {
struct SetTouchpadNaturalScroll {
  bool enabled = false;
  bool operator==(const SetTouchpadNaturalScroll&) const = default;
};
struct SetMouseNaturalScroll {
  bool enabled = false;
  bool operator==(const SetMouseNaturalScroll&) const = default;
};
struct SetTapToClick {
  bool enabled = false;
  bool operator==(const SetTapToClick&) const = default;
};
struct SetTouchpadPointerSpeed {
  double value = 0;
  bool operator==(const SetTouchpadPointerSpeed&) const = default;
};
struct SetMousePointerSpeed {
  double value = 0;
  bool operator==(const SetMousePointerSpeed&) const = default;
};
struct SetKeyRepeat {
  double value = 0;
  bool operator==(const SetKeyRepeat&) const = default;
};
struct SetTapDrag {
  bool enabled = false;
  bool operator==(const SetTapDrag&) const = default;
};
struct SetDisableWhileTyping {
  bool enabled = false;
  bool operator==(const SetDisableWhileTyping&) const = default;
};
struct SetMiddleEmulation {
  bool enabled = false;
  bool operator==(const SetMiddleEmulation&) const = default;
};
struct SetLeftHanded {
  bool enabled = false;
  bool operator==(const SetLeftHanded&) const = default;
};
struct SetTouchpadGestures {
  bool enabled = false;
  bool operator==(const SetTouchpadGestures&) const = default;
};
struct SetAccelerationProfile {
  std::string profile;
  bool operator==(const SetAccelerationProfile&) const = default;
};
struct SetComposeKey {
  std::string key;
  bool operator==(const SetComposeKey&) const = default;
};
struct SetActiveSource {
  std::string label;
  bool operator==(const SetActiveSource&) const = default;
};
}  // namespace input_operation

struct InputOperation : std::variant<input_operation::SetTouchpadNaturalScroll, input_operation::SetMouseNaturalScroll,
                                     input_operation::SetTapToClick, input_operation::SetTouchpadPointerSpeed,
                                     input_operation::SetMousePointerSpeed, input_operation::SetKeyRepeat,
                                     input_operation::SetTapDrag, input_operation::SetDisableWhileTyping,
                                     input_operation::SetMiddleEmulation, input_operation::SetLeftHanded,
                                     input_operation::SetTouchpadGestures, input_operation::SetAccelerationProfile,
                                     input_operation::SetComposeKey, input_operation::SetActiveSource> {
  using variant::variant;
  static constexpr std::string_view kKind = "settings.input-operation";
  using SetTouchpadNaturalScroll = input_operation::SetTouchpadNaturalScroll;
  using SetMouseNaturalScroll = input_operation::SetMouseNaturalScroll;
  using SetTapToClick = input_operation::SetTapToClick;
  using SetTouchpadPointerSpeed = input_operation::SetTouchpadPointerSpeed;
  using SetMousePointerSpeed = input_operation::SetMousePointerSpeed;
  using SetKeyRepeat = input_operation::SetKeyRepeat;
  using SetTapDrag = input_operation::SetTapDrag;
  using SetDisableWhileTyping = input_operation::SetDisableWhileTyping;
  using SetMiddleEmulation = input_operation::SetMiddleEmulation;
  using SetLeftHanded = input_operation::SetLeftHanded;
  using SetTouchpadGestures = input_operation::SetTouchpadGestures;
  using SetAccelerationProfile = input_operation::SetAccelerationProfile;
  using SetComposeKey = input_operation::SetComposeKey;
  using SetActiveSource = input_operation::SetActiveSource;
};

// Time and date; `h24` is true for the 24-hour clock.
namespace time_date_operation {
struct SetAutomaticTime {
  bool enabled = false;
  bool operator==(const SetAutomaticTime&) const = default;
};
struct SetTimezone {
  std::string timezone;
  bool operator==(const SetTimezone&) const = default;
};
struct SetHourCycle {
  bool h24 = false;
  bool operator==(const SetHourCycle&) const = default;
};
}  // namespace time_date_operation

struct TimeDateOperation : std::variant<time_date_operation::SetAutomaticTime, time_date_operation::SetTimezone,
                                        time_date_operation::SetHourCycle> {
  using variant::variant;
  static constexpr std::string_view kKind = "settings.time-date-operation";
  using SetAutomaticTime = time_date_operation::SetAutomaticTime;
  using SetTimezone = time_date_operation::SetTimezone;
  using SetHourCycle = time_date_operation::SetHourCycle;
};

// Power; the `label` and `action` fields carry choice texts.
namespace power_operation {
struct SetChargeLimit {
  std::uint32_t percent = 0;
  bool operator==(const SetChargeLimit&) const = default;
};
struct SetProfile {
  std::string profile;
  bool operator==(const SetProfile&) const = default;
};
struct SetAutoSuspend {
  bool enabled = false;
  bool operator==(const SetAutoSuspend&) const = default;
};
struct SetBlankTimeout {
  std::string label;
  bool operator==(const SetBlankTimeout&) const = default;
};
struct SetLockTimeout {
  std::string label;
  bool operator==(const SetLockTimeout&) const = default;
};
struct SetSuspendTimeout {
  std::string profile;
  std::string label;
  bool operator==(const SetSuspendTimeout&) const = default;
};
struct SetLidAction {
  std::string action;
  bool operator==(const SetLidAction&) const = default;
};
struct SetPowerKeyAction {
  std::string action;
  bool operator==(const SetPowerKeyAction&) const = default;
};
struct SetCriticalAction {
  std::string action;
  bool operator==(const SetCriticalAction&) const = default;
};
}  // namespace power_operation

struct PowerOperation
    : std::variant<power_operation::SetChargeLimit, power_operation::SetProfile, power_operation::SetAutoSuspend,
                   power_operation::SetBlankTimeout, power_operation::SetLockTimeout,
                   power_operation::SetSuspendTimeout, power_operation::SetLidAction,
                   power_operation::SetPowerKeyAction, power_operation::SetCriticalAction> {
  using variant::variant;
  static constexpr std::string_view kKind = "settings.power-operation";
  using SetChargeLimit = power_operation::SetChargeLimit;
  using SetProfile = power_operation::SetProfile;
  using SetAutoSuspend = power_operation::SetAutoSuspend;
  using SetBlankTimeout = power_operation::SetBlankTimeout;
  using SetLockTimeout = power_operation::SetLockTimeout;
  using SetSuspendTimeout = power_operation::SetSuspendTimeout;
  using SetLidAction = power_operation::SetLidAction;
  using SetPowerKeyAction = power_operation::SetPowerKeyAction;
  using SetCriticalAction = power_operation::SetCriticalAction;
};

// Storage clean-up and the storage tools.
namespace storage_operation {
struct CleanupCaches {
  bool operator==(const CleanupCaches&) const = default;
};
struct FreeSyncedFiles {
  bool operator==(const FreeSyncedFiles&) const = default;
};
struct OpenDisks {
  bool operator==(const OpenDisks&) const = default;
};
struct OpenBackups {
  bool operator==(const OpenBackups&) const = default;
};
}  // namespace storage_operation

struct StorageOperation : std::variant<storage_operation::CleanupCaches, storage_operation::FreeSyncedFiles,
                                       storage_operation::OpenDisks, storage_operation::OpenBackups> {
  using variant::variant;
  static constexpr std::string_view kKind = "settings.storage-operation";
  using CleanupCaches = storage_operation::CleanupCaches;
  using FreeSyncedFiles = storage_operation::FreeSyncedFiles;
  using OpenDisks = storage_operation::OpenDisks;
  using OpenBackups = storage_operation::OpenBackups;
};

// Local users.
namespace user_operation {
struct SetAdmin {
  std::string username;
  bool admin = false;
  bool operator==(const SetAdmin&) const = default;
};
struct SetAutologin {
  std::string username;
  bool enabled = false;
  bool operator==(const SetAutologin&) const = default;
};
struct Remove {
  std::string username;
  bool remove_files = false;
  bool operator==(const Remove&) const = default;
};
}  // namespace user_operation

struct UserOperation : std::variant<user_operation::SetAdmin, user_operation::SetAutologin, user_operation::Remove> {
  using variant::variant;
  static constexpr std::string_view kKind = "settings.user-operation";
  using SetAdmin = user_operation::SetAdmin;
  using SetAutologin = user_operation::SetAutologin;
  using Remove = user_operation::Remove;
};
}  // namespace settings::actions
