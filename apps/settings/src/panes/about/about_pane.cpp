#include "panes/about/about_pane.h"

#include <utility>
#include <vector>

#include "actions/control_bindings.h"
#include "os_actions/tool_intent.h"
#include "panes/pane_inputs.h"
#include "widget_support/layout_helpers.h"

namespace settings::panes::about {
namespace ws = settings::widget_support;

namespace {

constexpr std::string_view kPlaceholder = "\u2026";

SystemFacts placeholder_facts() {
  const std::string dots(kPlaceholder);
  SystemFacts facts{dots, dots, dots, dots, std::string(build_architecture()), dots, dots, dots, std::nullopt};
  return facts;
}

}  // namespace

std::unique_ptr<orvo_ui::Widget> about_view(const SystemFacts* given) {
  const SystemFacts facts = given ? *given : placeholder_facts();
  std::vector<ws::WidgetBox> cards;
  cards.push_back(ws::hero_card(orvo_ui::Icon::Display, facts.hostname, facts.os_name));

  std::vector<ws::WidgetBox> identity;
  identity.push_back(ws::value_row("Person", facts.identity_name.value_or("Not connected")));
  identity.push_back(ws::value_row("Identity", given ? short_device_id(facts) : std::string(kPlaceholder)));
  identity.push_back(ws::caption_text("This is the identity selected for the current workspace. Apps receive its "
                                      "public profile; private signing material stays outside the sandbox."));
  cards.push_back(ws::titled_card("Workspace identity", ws::section_stack(std::move(identity))));

  std::vector<ws::WidgetBox> backup;
  backup.push_back(ws::caption_text("Create an encrypted portable copy of your identity. Orvo asks for a passphrase, "
                                    "lets you choose where to save it, and verifies the copy before confirming "
                                    "success."));
  // In a row of its own, the button keeps its label's width instead of spanning the card.
  orvo_ui::Row button_row;
  button_row.push(std::make_unique<orvo_ui::Button>(actions::bind_control_invoke(
      orvo_ui::Button(std::string(kIdentityBackupButton), "Create encrypted backup\u2026"),
      orvo_actions::OperationClass::Effect, [] {
        // The tool reports on its own; whether it opens at all is not this page's to show.
        (void)os_actions::tool_intent::open_tool(os_actions::tool_intent::identity_backup());
      })));
  backup.push_back(std::make_unique<orvo_ui::Row>(std::move(button_row)));
  cards.push_back(ws::titled_card("Identity backup", ws::section_stack(std::move(backup))));

  std::vector<ws::WidgetBox> system;
  system.push_back(ws::value_row("OS", facts.os_name));
  system.push_back(ws::value_row("Kernel", facts.kernel));
  system.push_back(ws::value_row("Architecture", facts.architecture));
  system.push_back(ws::value_row("Uptime", facts.uptime));
  cards.push_back(ws::titled_card("System", ws::section_stack(std::move(system))));

  std::vector<ws::WidgetBox> hardware;
  hardware.push_back(ws::value_row("Processor", facts.processor));
  hardware.push_back(ws::value_row("Memory", facts.memory));
  cards.push_back(ws::titled_card("Hardware", ws::section_stack(std::move(hardware))));
  return ws::page_stack(std::move(cards));
}

std::unique_ptr<AboutPage> make_about_page(std::function<SystemFacts()> gather, StartWorker start_worker) {
  return std::make_unique<AboutPage>(AboutPage::Parts{
      "settings::panes::about::AboutPage", "AboutPage", kAboutThread,
      settings_app::section_descriptor(settings_app::SettingsSection::About), std::move(gather), about_view,
      std::move(start_worker)});
}

std::unique_ptr<orvo_ui::Widget> build_pane(const settings_app::PaneInputs&) {
  return make_about_page(
      [] {
        SystemFacts facts = gather_system_facts(FactSources::system());
        add_identity(facts);
        return facts;
      },
      default_start_worker());
}

}  // namespace settings::panes::about
