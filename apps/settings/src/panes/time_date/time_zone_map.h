#pragma once
// A world map of the mapped time zones (equirectangular) with one dot per zone. The user picks a
// zone with the pointer or the arrow keys and Enter; picking hands the zone name to the Time & date
// "timezone" choice action, it does not change the system itself.
//
// Interface thread only.
#include <optional>
#include <string>
#include <vector>

#include "orvo_actions/binding.h"
#include "orvo_ui/action_emitter.h"
#include "orvo_ui/widget.h"
#include "panes/time_date/zone_data.h"

namespace settings::panes::time_date {

class TimeZoneMap final : public orvo_ui::Widget {
 public:
  static constexpr double kHitRadius = 11;
  static constexpr float kHeight = 176;
  static constexpr float kCaptionSize = 11;

  TimeZoneMap(std::vector<TimeZoneEntry> entries, std::string current_zone,
              std::optional<orvo_actions::ActionBinding<std::string>> binding);

  std::string_view type_name() const override { return "settings::panes::time_date::TimeZoneMap"; }
  std::string_view name() const override { return "TimeZoneMap"; }
  std::optional<std::string> widget_id() const override { return "time.timezone-map"; }

  void sync(orvo_ui::SyncContext&) override {}
  bool needs_commit() const override { return false; }
  void on_commit() override {}
  orvo_ui::NodeId build_layout(orvo_ui::LayoutTree& tree, orvo_ui::LayoutContext& context,
                               orvo_ui::NodeMap& nodes) override;
  void apply_layout(const orvo_ui::LayoutTree& tree, orvo_ui::NodeId node, double x, double y) override;
  void draw(orvo_ui::Scene& scene, orvo_ui::Affine transform, orvo_ui::TextRenderer& text,
            const orvo_ui::Theme& theme, const orvo_ui::PresenceContext& presence) override;
  void handle_event(const orvo_ui::Event& event, orvo_ui::EventContext& context) override;
  orvo_ui::Rect get_rect() const override { return rect_; }

  std::optional<orvo_ui::CursorKind> cursor_at(orvo_ui::Point point) const override;
  std::optional<std::string> tooltip_text() const override;
  bool is_focusable() const override { return !entries_.empty(); }
  void set_focus(bool focused) override;
  bool has_focus() const override { return focused_; }
  std::optional<orvo_ui::AccessibilityNode> accessibility() const override;
  bool perform_action(const orvo_ui::AccessibilityAction& action) override;
  std::optional<orvo_actions::ControlInvocation> take_control_invocation() override;

  // The map area inside the widget: 10 in from the sides and top, 34 up from the bottom for the
  // caption, never narrower or lower than one unit.
  orvo_ui::Rect map_rect() const;
  // Where entry `index` lies on the map; (0, 0) for an index outside the entries.
  orvo_ui::Point project(std::size_t index) const;
  // The nearest entry within kHitRadius of the point (the first on a tie); none outside the widget.
  std::optional<std::size_t> hit_test(orvo_ui::Point point) const;
  // Moves the keyboard selection one step in the direction (dx, dy), Right being (1, 0).
  void move_selection(int dx, int dy);
  // Makes entry `index` the current zone and emits its name; nothing when it already is.
  void commit(std::size_t index);

  // Test setter: the rectangle the layout would give.
  void set_rect(orvo_ui::Rect rect) { rect_ = rect; }
  const std::vector<TimeZoneEntry>& entries() const { return entries_; }
  const std::string& current_zone() const { return current_zone_; }
  std::optional<std::size_t> keyboard_selection() const { return keyboard_selection_; }
  std::optional<std::size_t> hovered() const { return hovered_; }

 private:
  std::optional<std::size_t> index_of(std::string_view name) const;
  std::optional<std::size_t> current_index() const { return index_of(current_zone_); }

  std::optional<std::size_t> keyboard_selection_;
  std::optional<std::size_t> hovered_;
  std::vector<TimeZoneEntry> entries_;
  std::string current_zone_;
  std::optional<orvo_ui::ActionEmitter<std::string>> emitter_;
  orvo_ui::Point pointer_;
  orvo_ui::Rect rect_;
  bool focused_ = false;
};

inline constexpr std::string_view kMapLabel = "Time-zone map";
inline constexpr std::string_view kMapDescription =
    "Installed IANA time zones with published coordinates. Use arrow keys to move and Enter to apply; the "
    "searchable selector includes aliases without coordinates.";
inline constexpr std::string_view kMapUnavailable = "Map coordinates are unavailable; use the selector above.";

}  // namespace settings::panes::time_date
