#pragma once
// The Time & date pane: the clock and date, automatic time, the 24-hour clock and the time zone,
// from a list or from the time-zone map. The pane changes nothing itself: its controls invoke the
// section's "automatic-time", "24-hour" and "timezone" actions, which the shell carries out and
// after which it builds the pane anew. The facts are read once, when the pane is made: the
// system's files at once, the time service on the worker "settings-time-facts" (it may be slow to
// answer), and the page is shown as soon as its answer arrives.
//
// Interface thread only.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "orvo_runtime/channel.h"
#include "os_actions/time.h"
#include "panes/pane_glue.h"
#include "panes/time_date/zone_data.h"

namespace settings::settings_app {
struct PaneInputs;
}

namespace settings::panes::time_date {

inline constexpr std::string_view kMissingBinding =
    "internal error: entered unreachable code: Time & Date action must be published";

// What the pane shows, read from the time service, the saved locale and tzdata.
struct TimeDateFacts {
  os_actions::time::TimeSyncStatus status;
  bool automatic = true;  // an unreported state counts as on
  bool h24 = true;
  std::string current_zone{kFallbackZone};
  std::vector<std::string> zones;
  std::vector<TimeZoneEntry> map_entries;
};

// What the pane reads from files: the saved clock format, the service's zone list (from tzdata),
// the zone the system's files name and the text of the zone table.
struct LocalTimeFacts {
  bool h24 = true;
  std::vector<std::string> service_zones;
  std::optional<std::string> file_zone;
  std::optional<std::string> zone_table;
};
LocalTimeFacts read_local_time_facts();

// The time service's status; an unreported automatic-time state is asked for once more (`get_ntp`).
os_actions::time::TimeSyncStatus read_time_service_status();

// The pane's facts from the two.
TimeDateFacts assemble_facts(os_actions::time::TimeSyncStatus status, const LocalTimeFacts& local);
// Both read here and now.
TimeDateFacts read_time_date_facts();

// The texts of the "Automatic time source" card.
std::string synchronization_text(const TimeDateFacts& facts);
std::string source_text(const TimeDateFacts& facts);

inline constexpr std::string_view kFactsThread = "settings-time-facts";
inline constexpr std::string_view kReadingFacts = "Reading the time settings…";

class TimeDatePane final : public PaneGlue {
 public:
  // A pane showing the given facts.
  explicit TimeDatePane(TimeDateFacts facts);
  // A pane that shows its facts once `read_status` has run on the facts worker (or, when no
  // thread can be started, at once on this one). The worker touches nothing but the time service.
  static std::unique_ptr<TimeDatePane> reading(LocalTimeFacts local,
                                               std::function<os_actions::time::TimeSyncStatus()> read_status);
  TimeDatePane(TimeDatePane&&) = default;

  std::string_view type_name() const override { return "settings::panes::time_date::TimeDatePane"; }
  std::optional<orvo_ui::PaneDescriptor> pane_descriptor() override;
  // None while the facts are still being read.
  const std::optional<TimeDateFacts>& facts() const { return facts_; }

 protected:
  std::unique_ptr<orvo_ui::Widget> build_view() override;
  void sync_pane(orvo_doc::Document*, orvo_ui::SyncContext&) override;

 private:
  TimeDatePane() : TimeDatePane(std::nullopt) {}
  explicit TimeDatePane(std::optional<TimeDateFacts> facts);

  std::optional<TimeDateFacts> facts_;
  LocalTimeFacts local_;
  std::optional<orvo_runtime::Receiver<os_actions::time::TimeSyncStatus>> arriving_;
};

// The pane table's line for the Time & date section.
std::unique_ptr<orvo_ui::Widget> boxed_pane(const settings_app::PaneInputs& inputs);

}  // namespace settings::panes::time_date
