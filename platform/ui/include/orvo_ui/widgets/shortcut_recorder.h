#pragma once
// Records a key chord into a text cell ("Ctrl+Alt+T"). Activating it (a click, Space/Enter while
// focused, or the activate action) starts capturing; the next key pressed with its modifiers is
// published as the chord and capturing ends. Escape ends capturing unchanged, Backspace clears the
// chord. Losing focus ends capturing. A recorder marked unavailable shows "Shortcut unavailable".
#include <string>

#include "orvo_ui/published_cell.h"
#include "orvo_ui/widget.h"

namespace orvo_ui {

class ShortcutRecorder final : public Widget {
 public:
  static constexpr double kMinWidth = 160;

  static ShortcutRecorder from_state(std::string id, PublishedCell<std::string> chord) {
    return ShortcutRecorder(std::move(id), std::move(chord));
  }
  // The chord shown (dimmed) while the cell holds none.
  [[nodiscard]] ShortcutRecorder with_default(std::string_view chord) &&;
  [[nodiscard]] ShortcutRecorder unavailable(bool unavailable) &&;

  bool is_capturing() const { return capture_; }
  const PublishedCell<std::string>& cell() const { return cell_; }

  // The text of a chord: modifiers in the order Ctrl, Alt, Shift, Super, then the key.
  static std::optional<std::string> chord_text(const event::Key& key);

  std::string_view type_name() const override { return "orvo_ui::widget::shortcut_recorder::ShortcutRecorder"; }
  std::string_view name() const override { return "ShortcutRecorder"; }
  std::optional<std::string> widget_id() const override { return id_; }

  void broadcast_flag_a(std::uint8_t flag) override;
  void set_interaction_environment(const InteractionEnvironment& environment) override { environment_ = environment; }
  void sync(SyncContext&) override {}
  NodeId build_layout(LayoutTree& tree, LayoutContext& context, NodeMap& nodes) override;
  Size measure(KnownSize known, AvailableSize available, TextRenderer& text) override;
  void apply_layout(const LayoutTree& tree, NodeId node, double x, double y) override;
  void draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
            const PresenceContext& presence) override;
  void handle_event(const Event& event, EventContext& context) override;

  Rect get_rect() const override { return rect_; }
  std::optional<CursorKind> cursor_at(Point point) const override {
    return rect_.contains(point) ? std::optional(cursor::kPointer) : std::nullopt;
  }
  std::optional<std::string> tooltip_text() const override;
  std::optional<std::pair<Rect, std::string>> tooltip_at(Point point) const override;
  bool is_focusable() const override { return true; }
  void set_focus(bool focused) override;
  bool has_focus() const override { return focused_; }

  std::optional<AccessibilityNode> accessibility() const override;
  bool perform_action(const AccessibilityAction& action) override;
  bool perform_action_with_target(const AccessibilityAction& action, std::string_view) override {
    return perform_action(action);
  }

 private:
  ShortcutRecorder(std::string id, PublishedCell<std::string> chord) : cell_(std::move(chord)), id_(std::move(id)) {}
  std::string shown_text() const;

  PublishedCell<std::string> cell_;
  std::string id_;
  std::string default_chord_;
  bool unavailable_ = false;
  bool focused_ = false;
  bool capture_ = false;
  bool broadcast_ = false;
  InteractionEnvironment environment_;
  Rect rect_;
};

}  // namespace orvo_ui
