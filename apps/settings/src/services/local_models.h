#pragma once
// What the local model manager reports about on-device inference: how well the device suits local
// models, the package it recommends, the installed models and their phases, and the accelerator
// setup. Settings only reads these records (from the manager's snapshot output); it never writes
// them. Also the small views of a phase the pane shows: its label, progress and actions.
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "orvo_json/json.h"

namespace settings::panes::agent_models {

enum class HardwareFit : std::uint8_t { Excellent, Good, Tight, Unsupported };

constexpr auto describe_json(orvo_json::Tag<HardwareFit>) {
  return orvo_json::unit_enum<HardwareFit>("HardwareFit", {{"excellent", HardwareFit::Excellent},
                                                           {"good", HardwareFit::Good},
                                                           {"tight", HardwareFit::Tight},
                                                           {"unsupported", HardwareFit::Unsupported}});
}

struct HardwareRecommendation {
  HardwareFit fit = HardwareFit::Unsupported;
  std::uint16_t memory_gib = 0;
  std::string accelerator;
  std::optional<std::uint16_t> accelerator_memory_gib;
  std::optional<std::uint16_t> free_storage_gib;
  std::string reason;
  bool operator==(const HardwareRecommendation&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<HardwareRecommendation>) {
  using orvo_json::field;
  using R = HardwareRecommendation;
  return orvo_json::record<R>("HardwareRecommendation", field("fit", &R::fit), field("memory_gib", &R::memory_gib),
                              field("accelerator", &R::accelerator),
                              field("accelerator_memory_gib", &R::accelerator_memory_gib),
                              field("free_storage_gib", &R::free_storage_gib), field("reason", &R::reason));
}

// One model release of the signed catalogue.
struct LocalModelPackage {
  std::string id;  // the manager's --model argument and the model id its gateway serves
  std::string name;
  std::string description;
  std::string source;
  std::string revision;  // pinned; the --revision argument of an install
  std::string license;
  std::string license_url;
  std::uint64_t download_bytes = 0;
  std::uint64_t installed_bytes = 0;
  bool vision = false;
  bool face_recognition = false;
  bool operator==(const LocalModelPackage&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<LocalModelPackage>) {
  using orvo_json::field;
  using P = LocalModelPackage;
  return orvo_json::record<P>(
      "LocalModelPackage", field("id", &P::id), field("name", &P::name), field("description", &P::description),
      field("source", &P::source), field("revision", &P::revision), field("license", &P::license),
      field("license_url", &P::license_url), field("download_bytes", &P::download_bytes),
      field("installed_bytes", &P::installed_bytes), orvo_json::defaulted_field("vision", &P::vision),
      orvo_json::defaulted_field("face_recognition", &P::face_recognition));
}

struct LocalModelEndpoint {
  std::string url;
  std::string model_id;
  bool operator==(const LocalModelEndpoint&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<LocalModelEndpoint>) {
  return orvo_json::record<LocalModelEndpoint>("LocalModelEndpoint",
                                               orvo_json::field("url", &LocalModelEndpoint::url),
                                               orvo_json::field("model_id", &LocalModelEndpoint::model_id));
}

namespace phase {
struct Downloading {
  std::uint64_t downloaded_bytes = 0;
  std::uint64_t total_bytes = 0;
  bool operator==(const Downloading&) const = default;
};
struct Installing {
  std::optional<std::uint8_t> percent;
  std::string message;
  bool operator==(const Installing&) const = default;
};
struct Ready {
  bool running = false;
  std::optional<LocalModelEndpoint> endpoint;
  bool operator==(const Ready&) const = default;
};
struct Error {
  std::string message;
  bool operator==(const Error&) const = default;
};
}  // namespace phase

// The life-cycle phase of one installed model.
struct LocalModelPhase : std::variant<phase::Downloading, phase::Installing, phase::Ready, phase::Error> {
  using variant::variant;
};

constexpr auto describe_json(orvo_json::Tag<LocalModelPhase>) {
  using orvo_json::field;
  using orvo_json::tagged_variant;
  return orvo_json::internally_tagged<LocalModelPhase>(
      "LocalModelPhase", "state",
      tagged_variant("downloading", field("downloaded_bytes", &phase::Downloading::downloaded_bytes),
                     field("total_bytes", &phase::Downloading::total_bytes)),
      tagged_variant("installing", field("percent", &phase::Installing::percent),
                     field("message", &phase::Installing::message)),
      tagged_variant("ready", field("running", &phase::Ready::running), field("endpoint", &phase::Ready::endpoint)),
      tagged_variant("error", field("message", &phase::Error::message)));
}

struct InstalledLocalModel {
  LocalModelPackage package;
  LocalModelPhase phase;
  bool operator==(const InstalledLocalModel&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<InstalledLocalModel>) {
  return orvo_json::record<InstalledLocalModel>("InstalledLocalModel",
                                                orvo_json::field("package", &InstalledLocalModel::package),
                                                orvo_json::field("phase", &InstalledLocalModel::phase));
}

namespace accelerator {
struct Available {
  bool operator==(const Available&) const = default;
};
struct Queued {
  bool operator==(const Queued&) const = default;
};
struct Staging {
  bool operator==(const Staging&) const = default;
};
struct RestartRequired {
  bool operator==(const RestartRequired&) const = default;
};
struct Active {
  bool operator==(const Active&) const = default;
};
struct Error {
  std::string message;
  bool operator==(const Error&) const = default;
};
}  // namespace accelerator

struct AcceleratorSetupState : std::variant<accelerator::Available, accelerator::Queued, accelerator::Staging,
                                            accelerator::RestartRequired, accelerator::Active, accelerator::Error> {
  using variant::variant;
};

constexpr auto describe_json(orvo_json::Tag<AcceleratorSetupState>) {
  using orvo_json::tagged_variant;
  return orvo_json::internally_tagged<AcceleratorSetupState>(
      "AcceleratorSetupState", "state", tagged_variant<accelerator::Available>("available"),
      tagged_variant<accelerator::Queued>("queued"), tagged_variant<accelerator::Staging>("staging"),
      tagged_variant<accelerator::RestartRequired>("restart_required"), tagged_variant<accelerator::Active>("active"),
      tagged_variant("error", orvo_json::field("message", &accelerator::Error::message)));
}

struct AcceleratorSetup {
  std::string boot_pack_id;  // the signed accelerator system image that matches this device
  AcceleratorSetupState status;
  bool operator==(const AcceleratorSetup&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<AcceleratorSetup>) {
  return orvo_json::record<AcceleratorSetup>("AcceleratorSetup",
                                             orvo_json::field("boot_pack_id", &AcceleratorSetup::boot_pack_id),
                                             orvo_json::field("status", &AcceleratorSetup::status));
}

struct LocalModelSnapshot {
  HardwareRecommendation hardware;
  std::optional<LocalModelPackage> recommendation;
  std::vector<InstalledLocalModel> models;
  std::optional<AcceleratorSetup> accelerator_setup;
  bool operator==(const LocalModelSnapshot&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<LocalModelSnapshot>) {
  using S = LocalModelSnapshot;
  return orvo_json::record<S>("LocalModelSnapshot", orvo_json::field("hardware", &S::hardware),
                              orvo_json::field("recommendation", &S::recommendation),
                              orvo_json::defaulted_field("models", &S::models),
                              orvo_json::defaulted_field("accelerator_setup", &S::accelerator_setup));
}

// The manager's snapshot output; the error is the decoder's message.
std::expected<LocalModelSnapshot, std::string> decode_snapshot(std::string_view bytes);

// "Downloading", "Installing", "Running" / "Ready", "Needs attention".
std::string_view phase_status_label(const LocalModelPhase& phase);
// The determinate progress (0..1) of a download or an install that gives a percentage.
std::optional<float> phase_progress(const LocalModelPhase& phase);

enum class LocalModelAction : std::uint8_t { Start, Stop, Remove, Retry };

std::string_view id(LocalModelAction action);
std::string_view label(LocalModelAction action);

// What the user can do to a model in the phase, in button order.
std::vector<LocalModelAction> phase_actions(const LocalModelPhase& phase);

// "agent_models.local.{model}.{action}", the model id with every character other than an ASCII
// letter or digit replaced by one "_".
std::string local_model_control_id(std::string_view model_id, LocalModelAction action);

// Bytes as GiB with one decimal: "1.5 GiB".
std::string format_gib(std::uint64_t bytes);

}  // namespace settings::panes::agent_models
