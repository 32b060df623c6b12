#include "panes/time_date/time_date_pane.h"

#include <fmt/format.h>

#include "catalogues/section_bindings.h"
#include "orvo_ui/published_cell.h"
#include "orvo_ui/widgets/dropdown.h"
#include "orvo_ui/widgets/toggle.h"
#include "orvo_ui/wake.h"
#include "panes/control_binding.h"
#include "panes/time_date/time_zone_map.h"
#include "preferences/preferences_file.h"
#include "panes/workers/worker_start.h"
#include "panes/pane_inputs.h"
#include "widget_support/layout_helpers.h"

namespace settings::panes::time_date {

namespace ws = settings::widget_support;
using os_actions::time::Reported;

namespace {

constexpr std::string_view kNoValue = "—";

std::string or_dash(const std::expected<std::string, std::string>& value) {
  return value ? *value : std::string(kNoValue);
}

std::unique_ptr<orvo_ui::Widget> clock_card(const TimeDateFacts& facts) {
  auto automatic = bind_or_warn(orvo_ui::Toggle::from_state(orvo_ui::PublishedCell<bool>(facts.automatic))
                                    .with_id("time.auto"),
                                actions::time_date_toggle_binding("automatic-time"), kMissingBinding);
  auto h24 = bind_or_warn(orvo_ui::Toggle::from_state(orvo_ui::PublishedCell<bool>(facts.h24)).with_id("time.h24"),
                          actions::time_date_toggle_binding("24-hour"), kMissingBinding);
  auto zone = bind_or_warn(orvo_ui::Dropdown::from_state(orvo_ui::PublishedCell<std::string>(facts.current_zone),
                                                         facts.zones)
                               .with_placeholder(facts.current_zone)
                               .with_id("time.timezone"),
                           actions::time_date_choice_binding("timezone"), kMissingBinding);
  std::vector<ws::WidgetBox> rows;
  rows.push_back(ws::setting_row("Set time automatically", std::make_unique<orvo_ui::Toggle>(std::move(automatic))));
  rows.push_back(ws::setting_row("24-hour clock", std::make_unique<orvo_ui::Toggle>(std::move(h24))));
  rows.push_back(ws::setting_row_fixed("Time zone", std::make_unique<orvo_ui::Dropdown>(std::move(zone))));
  rows.push_back(ws::value_row("Current time", or_dash(os_actions::time::now_clock(facts.h24))));
  rows.push_back(ws::value_row("Current date", or_dash(os_actions::time::now_date())));
  return ws::titled_card("Clock", ws::section_stack(std::move(rows)));
}

std::unique_ptr<orvo_ui::Widget> display_card(const TimeDateFacts& facts) {
  std::vector<ws::WidgetBox> rows;
  rows.push_back(ws::value_row("Clock format", facts.h24 ? "24-hour" : "12-hour"));
  rows.push_back(ws::caption_text(
      "Date and number formats are set system-wide in Region & Formats; this pane shows the clock surface."));
  return ws::titled_card("Display", ws::section_stack(std::move(rows)));
}

std::unique_ptr<orvo_ui::Widget> map_card(const TimeDateFacts& facts) {
  auto binding = actions::time_date_choice_binding("timezone");
  if (!binding) orvo_log::warn(kMissingBinding, {{"op", "control_binding"}});
  std::vector<ws::WidgetBox> rows;
  rows.push_back(std::make_unique<TimeZoneMap>(facts.map_entries, facts.current_zone, std::move(binding)));
  rows.push_back(ws::caption_text(
      facts.map_entries.empty()
          ? std::string("This tzdata installation does not publish map coordinates. The searchable selector remains "
                        "complete; Orvo does not guess your location.")
          : fmt::format("Showing {} installed zones with coordinates published by tzdata. This chooses a zone; it "
                        "does not detect your location. Aliases remain in the selector.",
                        facts.map_entries.size())));
  return ws::titled_card("Time-zone map", ws::section_stack(std::move(rows)));
}

std::unique_ptr<orvo_ui::Widget> source_card(const TimeDateFacts& facts) {
  std::vector<ws::WidgetBox> rows;
  rows.push_back(ws::value_row("Synchronization", synchronization_text(facts)));
  rows.push_back(ws::value_row("Source", source_text(facts)));
  rows.push_back(ws::caption_text("Time zones come from the installed IANA tzdata database. Both pickers submit only "
                                  "identifiers from timedated's accepted list."));
  return ws::titled_card("Automatic time source", ws::section_stack(std::move(rows)));
}

}  // namespace

LocalTimeFacts read_local_time_facts() {
  LocalTimeFacts local;
  local.h24 = preferences::load_locale_preferences().time_format == preferences::TimeFormat::H24;
  local.service_zones = os_actions::time::list_timezones().value_or(std::vector<std::string>{});
  local.file_zone = zone_from_system_files();
  local.zone_table = read_zone_table_text();
  return local;
}

os_actions::time::TimeSyncStatus read_time_service_status() {
  auto status = os_actions::time::get_time_sync_status();
  if (status.automatic == Reported::Unreported) {
    if (auto ntp = os_actions::time::get_ntp()) status.automatic = *ntp ? Reported::On : Reported::Off;
  }
  return status;
}

TimeDateFacts assemble_facts(os_actions::time::TimeSyncStatus status, const LocalTimeFacts& local) {
  TimeDateFacts facts;
  facts.status = std::move(status);
  facts.automatic = facts.status.automatic != Reported::Off;
  facts.h24 = local.h24;
  facts.current_zone = current_zone(facts.status.zone, local.file_zone);
  facts.zones = zone_list(local.service_zones, facts.current_zone);
  if (local.zone_table) facts.map_entries = parse_zone_table(*local.zone_table, facts.zones);
  return facts;
}

TimeDateFacts read_time_date_facts() { return assemble_facts(read_time_service_status(), read_local_time_facts()); }

std::string synchronization_text(const TimeDateFacts& facts) {
  switch (facts.status.synchronised) {
    case Reported::On: return "Synchronized";
    case Reported::Unreported: return "Not reported by the time service";
    case Reported::Off: break;
  }
  return facts.automatic ? "Waiting for synchronization" : "Automatic time is disabled";
}

std::string source_text(const TimeDateFacts& facts) {
  return facts.status.server.value_or("Not reported by the active NTP provider");
}

TimeDatePane::TimeDatePane(TimeDateFacts facts) : TimeDatePane(std::optional<TimeDateFacts>(std::move(facts))) {}

TimeDatePane::TimeDatePane(std::optional<TimeDateFacts> facts)
    : PaneGlue("TimeDatePane", DirtyRule::AlwaysAskView), facts_(std::move(facts)) {
  use_frame_document();
}

std::unique_ptr<TimeDatePane> TimeDatePane::reading(LocalTimeFacts local,
                                                    std::function<os_actions::time::TimeSyncStatus()> read_status) {
  std::unique_ptr<TimeDatePane> pane(new TimeDatePane());
  auto [sender, receiver] = orvo_runtime::make_channel<os_actions::time::TimeSyncStatus>(1);
  auto started = workers::start_worker(std::string(kFactsThread), [read_status, sender = std::move(sender)]() mutable {
    sender.send(read_status());
    orvo_ui::WakeHandle{}.wake();
  });
  if (!started) {
    orvo_log::warn("could not start the time service reader", {{"error", started.error()}});
    pane->facts_ = assemble_facts(read_status(), local);
    return pane;
  }
  pane->local_ = std::move(local);
  pane->arriving_.emplace(std::move(receiver));
  return pane;
}

void TimeDatePane::sync_pane(orvo_doc::Document*, orvo_ui::SyncContext&) {
  if (!arriving_) return;
  auto received = arriving_->try_recv();
  if (auto* status = std::get_if<os_actions::time::TimeSyncStatus>(&received)) {
    facts_ = assemble_facts(std::move(*status), local_);
  } else if (std::get<orvo_runtime::TryRecvError>(received) == orvo_runtime::TryRecvError::Empty) {
    return;
  } else {
    // The reader ended without an answer: the service counts as not answering.
    facts_ = assemble_facts({}, local_);
  }
  arriving_.reset();
  mark_structure_dirty();
}

std::optional<orvo_ui::PaneDescriptor> TimeDatePane::pane_descriptor() {
  return orvo_ui::PaneDescriptor{"time-date", "Time & date", "Change time and date preferences"};
}

std::unique_ptr<orvo_ui::Widget> TimeDatePane::build_view() {
  std::vector<ws::WidgetBox> cards;
  if (!facts_) {
    cards.push_back(ws::titled_card("Clock", ws::caption_text(kReadingFacts)));
    return ws::page_stack(std::move(cards));
  }
  cards.push_back(clock_card(*facts_));
  cards.push_back(display_card(*facts_));
  cards.push_back(map_card(*facts_));
  cards.push_back(source_card(*facts_));
  return ws::page_stack(std::move(cards));
}

std::unique_ptr<orvo_ui::Widget> boxed_pane(const settings_app::PaneInputs&) {
  return TimeDatePane::reading(read_local_time_facts(), read_time_service_status);
}

}  // namespace settings::panes::time_date
