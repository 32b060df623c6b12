#pragma once
// A one-line text field. Bound to a text cell through `from_state`: the field shows the cell's text,
// and while it has keyboard focus every edit publishes the whole new text into the cell. A click
// focuses the field and places the caret. Gaining focus starts editing from the cell's current text
// with the caret at its end; losing focus drops the working copy (the cell keeps the text). The kind
// code says what the field holds; kind 9 is a secret, shown as bullets and never read out by
// `text_review`.
//
// Editing keys: Left/Right by character, Ctrl+Left/Right by word, Home/End, Shift with any of them
// selects, Ctrl+A selects all; Backspace/Delete remove the selection or a character, with Ctrl a
// word; typing replaces the selection. The text scrolls so the caret stays in view. Text entering
// the field keeps to widgets/text_editing.h: valid UTF-8 only, no control characters, and never
// more than the field's byte cap.
//
// The secret form (`from_secret`) edits a shared SecretBuffer instead of a cell: the typed text is
// kept only in wiping memory (the buffer and a SecretString working copy), and the field's plain
// working copy holds one placeholder byte per character, so caret moves and drawing never see it.
// The same editing rules apply; in a secret, words are not told apart.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "orvo_secret/secret_buffer.h"
#include "orvo_secret/secret_string.h"
#include "orvo_ui/published_cell.h"
#include "orvo_ui/widget.h"

namespace orvo_ui {

namespace text_input_kind {
inline constexpr std::uint8_t kPlain = 0;
inline constexpr std::uint8_t kName = 1;
inline constexpr std::uint8_t kUsername = 3;
inline constexpr std::uint8_t kEmail = 4;
inline constexpr std::uint8_t kUrl = 5;
inline constexpr std::uint8_t kPassword = 9;
}  // namespace text_input_kind

class TextInput final : public Widget {
 public:
  static constexpr float kDefaultTextSize = 14;
  static constexpr float kMinWidth = 200;
  // The cap of a field that sets none, in bytes.
  static constexpr std::size_t kDefaultMaxBytes = 1024;

  static TextInput from_state(PublishedCell<std::string> cell);
  // A secret field (kind 9) that edits `buffer`.
  static TextInput from_secret(std::shared_ptr<orvo_secret::SecretBuffer> buffer);

  [[nodiscard]] TextInput with_kind(std::uint8_t kind) &&;
  [[nodiscard]] TextInput with_id(std::string_view id) &&;
  [[nodiscard]] TextInput with_placeholder(std::string_view placeholder) &&;
  [[nodiscard]] TextInput with_label(std::string_view label) &&;
  // The text size in points.
  [[nodiscard]] TextInput size(float text_size) &&;
  [[nodiscard]] TextInput disabled(bool disabled) &&;
  // The most bytes the field holds; typing that would go past it changes nothing.
  [[nodiscard]] TextInput with_max_bytes(std::size_t max_bytes) &&;
  // Ties the field to an action: while that action is unavailable the field takes no focus.
  [[nodiscard]] TextInput with_binding(ControlActionBinding binding) &&;

  const std::string& label() const { return label_; }
  const std::string& placeholder() const { return placeholder_; }
  const PublishedCell<std::string>& cell() const { return cell_; }
  // The text the field shows: the working copy while editing, the cell's text otherwise.
  std::string shown_text() const;
  std::size_t caret() const { return caret_; }
  // The other end of the selection (the caret itself when nothing is selected).
  std::size_t anchor() const { return anchor_; }
  std::size_t max_bytes() const { return max_bytes_; }
  // How far the text is scrolled left to keep the caret in view, in points.
  double scroll_offset() const { return scroll_x_; }

  std::string_view type_name() const override { return "orvo_ui::widget::text_input::TextInput"; }
  std::string_view name() const override { return "TextInput"; }
  std::optional<std::string> widget_id() const override { return id_.empty() ? "text_input" : id_; }

  void set_interaction_environment(const InteractionEnvironment& environment) override;
  void refresh_control_action_availability(const ActionAvailability& availability) override;
  void on_commit() override { commit_marker_ = 0xFFFFFFFFu; }
  std::vector<ControlActionBinding> control_action_bindings() const override;

  void sync(SyncContext& context) override;
  NodeId build_layout(LayoutTree& tree, LayoutContext& context, NodeMap& nodes) override;
  Size measure(KnownSize known, AvailableSize available, TextRenderer& text) override;
  void apply_layout(const LayoutTree& tree, NodeId node, double x, double y) override;
  void draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
            const PresenceContext& presence) override;
  void handle_event(const Event& event, EventContext& context) override;
  bool needs_commit() const override { return false; }
  bool wants_pointer_capture() const override { return pointer_capture_; }
  bool layout_needs_measure() const override;

  Rect get_rect() const override { return rect_; }
  std::optional<CursorKind> cursor_at(Point point) const override;
  bool is_focusable() const override;
  void set_focus(bool focused) override;
  bool has_focus() const override { return focused_; }
  std::optional<Rect> ime_cursor_rect() const override;
  std::optional<std::uint8_t> input_kind() const override { return kind_; }

  std::optional<AccessibilityNode> accessibility() const override;
  bool perform_action(const AccessibilityAction& action) override;
  std::optional<std::string> get_state() const override;
  void set_state(std::string_view state) override;
  std::optional<TextReview> text_review() const override;

 private:
  explicit TextInput(PublishedCell<std::string> cell) : cell_(std::move(cell)) {}
  // Starts editing from the cell's text when focus was just gained, or when the cell was changed
  // from outside since the field last looked.
  void begin_editing();
  void replace_text(std::string text, std::size_t caret);
  bool is_secret() const { return kind_ == text_input_kind::kPassword; }
  std::string display_of(std::string_view text) const;
  std::size_t caret_from_x(double x) const;
  // The x (from the text's left edge) of a byte offset of `value`, as last drawn.
  double x_of(std::string_view value, std::size_t offset) const;
  // Shapes what is shown once per change of its text or size.
  void refresh_positions(TextRenderer& text, const std::string& display, float size);
  // The secret form's storage path: start editing from the buffer, and carry out the edits on the
  // secret working copy. The placeholder copy in `working_` follows every change.
  void begin_secret_editing();
  bool edit_secret(const Event& event, EventContext& context);
  void replace_secret(orvo_secret::SecretString text, std::size_t caret);

  PublishedCell<std::string> cell_;
  std::string id_;
  std::string label_;
  std::string placeholder_;
  float text_size_ = kDefaultTextSize;
  std::uint8_t kind_ = text_input_kind::kPlain;
  bool disabled_ = false;
  bool focused_ = false;
  bool caret_reset_ = false;
  struct {
    std::optional<ControlActionBinding> binding;
    bool available = true;
  } binding_;
  InteractionEnvironment environment_;
  bool pointer_down_ = false;
  bool pointer_capture_ = false;
  bool relayout_ = true;
  bool remeasure_ = false;
  std::uint32_t commit_marker_ = 0;
  std::string working_;
  std::size_t caret_ = 0;
  std::size_t anchor_ = 0;
  std::size_t max_bytes_ = kDefaultMaxBytes;
  double scroll_x_ = 0;
  // The cell version the working copy was taken from or last published as.
  std::uint64_t seen_version_ = 0;
  std::optional<double> pending_click_x_;
  struct {
    std::shared_ptr<orvo_secret::SecretBuffer> buffer;
    orvo_secret::SecretString working;
    // The buffer generation the working copy was taken from or last written as.
    std::uint64_t seen_generation = 0;
  } secret_;
  // What was last drawn (the display form: bullets for a secret) at what size, and the x position
  // of each of its code-point boundaries; boundary k of the display is boundary k of the text.
  std::string positions_display_;
  float positions_size_ = 0;
  std::vector<double> positions_;
  Rect rect_;
};

}  // namespace orvo_ui
