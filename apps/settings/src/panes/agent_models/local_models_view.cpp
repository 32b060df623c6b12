#include "panes/agent_models/local_models_view.h"

#include <fmt/format.h>

#include <string>
#include <utility>
#include <vector>

#include "orvo_runtime/overloaded.h"
#include "orvo_ui/widgets/button.h"
#include "orvo_ui/widgets/progress_bar.h"
#include "orvo_ui/widgets/row.h"
#include "orvo_ui/widgets/spacer.h"
#include "orvo_ui/widgets/text.h"
#include "panes/agent_models/agent_models_pane.h"
#include "panes/agent_models/providers_view.h"
#include "widget_support/layout_helpers.h"

namespace settings::panes::agent_models {
namespace {

using namespace settings::widget_support;
using orvo_runtime::Overloaded;
using orvo_ui::Button;

constexpr float kButtonGap = 8;

WidgetBox accessory(std::string_view text) { return std::make_unique<orvo_ui::Text>(orvo_ui::Text(std::string(text)).with_size(12)); }

WidgetBox button_row(std::vector<Button> buttons) {
  auto row = std::make_unique<orvo_ui::Row>(orvo_ui::Row().with_gap(kButtonGap));
  for (auto& button : buttons) row->push(std::make_unique<Button>(std::move(button)));
  row->push(std::make_unique<orvo_ui::Spacer>(orvo_ui::Spacer::flexible()));
  return row;
}

WidgetBox bar(orvo_ui::ProgressBar bar, std::string label) {
  return std::make_unique<orvo_ui::ProgressBar>(std::move(bar).with_label(std::move(label)));
}

std::string gib(std::uint16_t value) { return fmt::format("{} GiB", value); }

class PageBuilder {
 public:
  PageBuilder(AgentModelsPane& pane, DocumentControls& controls) : pane_(pane), controls_(controls) {}

  WidgetBox page() {
    std::vector<WidgetBox> cards;
    cards.push_back(privacy_card());
    if (!pane_.loaded()) {
      // Nothing of the device is known yet: no verdict and no list that would look final.
      std::vector<WidgetBox> lines;
      lines.push_back(caption_text("Reading local models…"));
      if (pane_.status_message()) lines.push_back(caption_text(*pane_.status_message()));
      cards.push_back(titled_card("Local models", section_stack(std::move(lines))));
      cards.push_back(providers_view(pane_));
      return page_stack(std::move(cards));
    }
    if (!pane_.service_available()) {
      std::vector<WidgetBox> lines;
      lines.push_back(caption_text("Install or start orvo-model-manager to inspect hardware, install models, or manage "
                                   "local model lifecycle. Existing hosted providers remain available below."));
      // A later outcome (a provider's key or details, a failed request) would otherwise go unseen.
      if (pane_.status_message() && !pane_.status_is_opening_notice()) {
        lines.push_back(caption_text(*pane_.status_message()));
      }
      cards.push_back(titled_card("Local model service unavailable", section_stack(std::move(lines))));
      cards.push_back(providers_view(pane_));
      return page_stack(std::move(cards));
    }
    const LocalModelSnapshot& snapshot = pane_.snapshot();
    if (pane_.status_message()) cards.push_back(titled_card("Local model service", caption_text(*pane_.status_message())));
    if (snapshot.accelerator_setup) cards.push_back(accelerator_card(*snapshot.accelerator_setup));
    cards.push_back(recommendation_card(snapshot));
    for (const auto& model : snapshot.models) cards.push_back(model_card(model));
    if (snapshot.models.empty()) {
      cards.push_back(titled_card("Models on this device",
                                  caption_text("No local models are installed. Setup shows the download, storage, "
                                               "source, revision, and license before anything changes.")));
    }
    cards.push_back(providers_view(pane_));
    return page_stack(std::move(cards));
  }

 private:
  Button press(std::string id, std::string label, std::string_view key) {
    return controls_.press_button(std::move(id), std::move(label), key);
  }

  WidgetBox privacy_card() {
    std::vector<WidgetBox> rows;
    rows.push_back(caption_text("Models configured here supply inference only. They do not grant an agent access to a "
                                "workspace, app, file, message, or device."));
    rows.push_back(value_row("Local inference", "Loopback-only Orvo model gateway"));
    rows.push_back(value_row("Downloads", "Explicit, pinned, and visible here"));
    return titled_card("Private by design", section_stack(std::move(rows)));
  }

  WidgetBox accelerator_card(const AcceleratorSetup& setup) {
    std::vector<WidgetBox> rows;
    rows.push_back(value_row("Signed hardware match", setup.boot_pack_id));
    const bool busy = pane_.accelerator_working();
    const auto setup_button = [&](std::string id, std::string label) {
      std::vector<Button> buttons;
      buttons.push_back(press(std::move(id), std::move(label), kAcceleratorSetupKey).enabled(!busy));
      return button_row(std::move(buttons));
    };
    const std::string_view state = std::visit(
        Overloaded{
            [&](const accelerator::Available&) {
              rows.push_back(caption_text("Orvo found a signed accelerator stack matched to this device. Setup stages "
                                          "a new immutable system image; it does not install a driver into the "
                                          "running system."));
              rows.push_back(setup_button("agent-models-accelerator-setup", "Set up accelerator"));
              return std::string_view("Ready to set up");
            },
            [&](const accelerator::Queued&) {
              rows.push_back(bar(orvo_ui::ProgressBar::indeterminate(), "Preparing accelerator support"));
              rows.push_back(caption_text("The request is queued. You can leave Settings while Orvo verifies and "
                                          "stages the signed system image."));
              return std::string_view("Queued");
            },
            [&](const accelerator::Staging&) {
              rows.push_back(bar(orvo_ui::ProgressBar::indeterminate(), "Staging accelerator support"));
              rows.push_back(caption_text("Orvo is building the next boot deployment. The current desktop keeps "
                                          "running normally."));
              return std::string_view("Staging");
            },
            [&](const accelerator::RestartRequired&) {
              rows.push_back(caption_text("Accelerator support is ready for the next boot. Restart from the system "
                                          "power menu when convenient; Orvo will verify the booted deployment before "
                                          "calling it active."));
              return std::string_view("Restart required");
            },
            [&](const accelerator::Active&) {
              rows.push_back(
                  caption_text("The signed accelerator stack is active and local model setup can use it."));
              return std::string_view("Active");
            },
            [&](const accelerator::Error& error) {
              rows.push_back(caption_text(error.message));
              rows.push_back(caption_text("Nothing was installed into the running system. Retry rechecks this device "
                                          "against the signed hardware policy."));
              rows.push_back(setup_button("agent-models-accelerator-retry", "Retry accelerator setup"));
              return std::string_view("Needs attention");
            },
        },
        setup.status);
    return titled_card_with_accessory("Accelerator support", accessory(state), section_stack(std::move(rows)));
  }

  WidgetBox recommendation_card(const LocalModelSnapshot& snapshot) {
    const HardwareRecommendation& hardware = snapshot.hardware;
    std::vector<WidgetBox> rows;
    rows.push_back(value_row("Hardware fit", fit_label(hardware.fit)));
    rows.push_back(value_row("System memory", gib(hardware.memory_gib)));
    rows.push_back(value_row("Accelerator", hardware.accelerator));
    if (hardware.accelerator_memory_gib) rows.push_back(value_row("Accelerator memory", gib(*hardware.accelerator_memory_gib)));
    if (hardware.free_storage_gib) rows.push_back(value_row("Storage available", gib(*hardware.free_storage_gib)));
    rows.push_back(caption_text(hardware.reason));

    if (!snapshot.recommendation) {
      rows.push_back(value_row("Recommended model", "Waiting for signed model catalog"));
      rows.push_back(caption_text("Setup stays disabled until the local model service reports a verified, immutable "
                                  "model release."));
      std::vector<Button> buttons;
      buttons.push_back(Button("agent-models-setup-unavailable", "Set up unavailable").enabled(false));
      rows.push_back(button_row(std::move(buttons)));
      return titled_card_with_accessory("Recommended for this device", accessory("Service unavailable"),
                                        section_stack(std::move(rows)));
    }

    const LocalModelPackage& recommended = *snapshot.recommendation;
    rows.push_back(value_row("Recommended model", recommended.name));
    rows.push_back(caption_text(recommended.description));
    std::vector<Button> buttons;
    if (pane_.pending_install() == recommended.id) {
      rows.push_back(value_row("Download", format_gib(recommended.download_bytes)));
      rows.push_back(value_row("Storage after install", format_gib(recommended.installed_bytes)));
      rows.push_back(value_row("Source", recommended.source));
      rows.push_back(value_row("Pinned revision", recommended.revision));
      rows.push_back(value_row("License", recommended.license));
      rows.push_back(caption_text(fmt::format("By continuing, you accept the model license at {}. Orvo downloads the "
                                              "pinned snapshot once and keeps inference on this device.",
                                              recommended.license_url)));
      buttons.push_back(press("agent-models-confirm-install", "Accept license & download", kConfirmKey)
                            .enabled(!pane_.shows_working(recommended.id)));
      buttons.push_back(press("agent-models-cancel-install", "Cancel", kCancelKey));
    } else {
      const auto& setup = snapshot.accelerator_setup;
      const bool accelerator_ready = !setup || std::holds_alternative<accelerator::Active>(setup->status);
      const bool enabled =
          hardware.fit != HardwareFit::Unsupported && accelerator_ready && !pane_.shows_working(recommended.id);
      buttons.push_back(press("agent-models-setup-local", "Set up on this device", kSetupKey).enabled(enabled));
    }
    rows.push_back(button_row(std::move(buttons)));
    return titled_card_with_accessory("Recommended for this device", accessory(fit_label(hardware.fit)),
                                      section_stack(std::move(rows)));
  }

  WidgetBox model_card(const InstalledLocalModel& model) {
    const LocalModelPackage& package = model.package;
    const std::string_view status = phase_status_label(model.phase);
    std::vector<WidgetBox> rows;
    rows.push_back(value_row("Status", status));
    rows.push_back(value_row("Storage", format_gib(package.installed_bytes)));
    rows.push_back(value_row("License", package.license));
    std::visit(Overloaded{
                   [&](const phase::Downloading& downloading) {
                     rows.push_back(bar(orvo_ui::ProgressBar(phase_progress(model.phase).value_or(0.0F)),
                                        fmt::format("Downloading {}", package.name)));
                     rows.push_back(caption_text(fmt::format("{} of {} downloaded · safe to leave this page",
                                                             format_gib(downloading.downloaded_bytes),
                                                             format_gib(downloading.total_bytes))));
                   },
                   [&](const phase::Installing& installing) {
                     const auto progress = phase_progress(model.phase);
                     rows.push_back(bar(progress ? orvo_ui::ProgressBar(*progress) : orvo_ui::ProgressBar::indeterminate(),
                                        fmt::format("Installing {}", package.name)));
                     rows.push_back(caption_text(installing.message));
                   },
                   [&](const phase::Ready& ready) {
                     rows.push_back(caption_text(
                         ready.running ? "Available to agents through the local Orvo gateway. Workspace permissions "
                                         "still apply to every task."
                                       : "Installed and verified. Start it when you want agents to use it; stopped "
                                         "models consume no accelerator memory."));
                   },
                   [&](const phase::Error& error) {
                     rows.push_back(caption_text(error.message));
                     rows.push_back(caption_text("Retry resumes verified files where possible. Remove clears this "
                                                 "model's local snapshot."));
                   },
               },
               model.phase);

    const auto actions = phase_actions(model.phase);
    if (!actions.empty()) {
      // While a request for this model runs, a second one would only be refused.
      const bool busy = pane_.shows_working(package.id);
      std::vector<Button> buttons;
      for (const LocalModelAction action : actions) {
        const std::string key = local_model_control_id(package.id, action);
        const bool confirming = action == LocalModelAction::Remove && pane_.pending_removal() == package.id;
        buttons.push_back(press(fmt::format("agent-models-{}-{}", id(action), key),
                                std::string(confirming ? "Confirm remove" : label(action)), key)
                              .enabled(!busy));
      }
      rows.push_back(button_row(std::move(buttons)));
    }
    return titled_card_with_accessory(package.name, accessory(status), section_stack(std::move(rows)));
  }

  AgentModelsPane& pane_;
  DocumentControls& controls_;
};

}  // namespace

std::string_view fit_label(HardwareFit fit) {
  switch (fit) {
    case HardwareFit::Excellent: return "Excellent fit";
    case HardwareFit::Good: return "Good fit";
    case HardwareFit::Tight: return "Will run, with limits";
    case HardwareFit::Unsupported: return "Not enough memory";
  }
  return "Not enough memory";
}

std::unique_ptr<orvo_ui::Widget> local_models_view(AgentModelsPane& pane, DocumentControls& controls) {
  return PageBuilder(pane, controls).page();
}

}  // namespace settings::panes::agent_models
