#pragma once
// The Time & date pane: the clock and date, automatic time, the 24-hour clock and the time zone,
// from a list or from the time-zone map. The pane changes nothing itself: its controls invoke the
// section's "automatic-time", "24-hour" and "timezone" actions, which the shell carries out and
// after which it builds the pane anew. The facts are read once, when the pane is made: on the
// worker "settings-time-facts", since the time service may be slow to answer, and shown as soon as
// they arrive.
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
  // A pane that shows the facts `read` gives once it has run on the facts worker (or, when no
  // thread can be started, at once on this one).
  static std::unique_ptr<TimeDatePane> reading(std::function<TimeDateFacts()> read);
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
  std::optional<orvo_runtime::Receiver<TimeDateFacts>> arriving_;
};

// The pane table's line for the Time & date section.
std::unique_ptr<orvo_ui::Widget> boxed_pane(const settings_app::PaneInputs& inputs);

}  // namespace settings::panes::time_date
