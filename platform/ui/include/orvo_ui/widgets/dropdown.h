#pragma once
// A choice among texts, bound to a text cell that holds the chosen entry. A click (or Space/Enter
// while focused) opens a popup list drawn above the page; clicking an entry, or moving the
// highlight with Up/Down and pressing Enter, publishes that entry and closes the popup. Escape or
// a click elsewhere closes it unchanged. While closed and focused, Up/Down choose the neighbouring
// entry directly. The placeholder shows while the cell holds no entry.
#include <string>
#include <vector>

#include "orvo_ui/published_cell.h"
#include "orvo_ui/widgets/control.h"

namespace orvo_ui {

class Dropdown final : public ControlBuilder<Dropdown, std::string> {
 public:
  static constexpr double kMinWidth = 180;
  static constexpr double kEntryHeight = 28;

  static Dropdown from_state(PublishedCell<std::string> cell, std::vector<std::string> choices) {
    return Dropdown(std::move(cell), std::move(choices));
  }
  [[nodiscard]] Dropdown with_placeholder(std::string_view placeholder) &&;

  const std::vector<std::string>& choices() const { return choices_; }
  bool is_open() const { return open_; }
  std::optional<Rect> popup_rect() const { return open_ ? std::optional(popup_) : std::nullopt; }
  // The rectangle of entry `index` in the open popup.
  Rect entry_rect(std::size_t index) const;
  const PublishedCell<std::string>& cell() const { return cell_; }

  std::string_view type_name() const override { return "orvo_ui::widget::dropdown::Dropdown"; }
  std::string_view name() const override { return "Dropdown"; }
  std::optional<std::string> widget_id() const override {
    return id_ && !id_->empty() ? *id_ : std::string("dropdown");
  }
  std::optional<std::uint8_t> input_kind() const override { return 0; }
  std::optional<Rect> ime_cursor_rect() const override { return popup_rect(); }
  bool wants_pointer_capture() const override { return open_; }
  void set_focus(bool focused) override;

  NodeId build_layout(LayoutTree& tree, LayoutContext& context, NodeMap& nodes) override;
  Size measure(KnownSize known, AvailableSize available, TextRenderer& text) override;
  void draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
            const PresenceContext& presence) override;
  void draw_overlay(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
                    const PresenceContext& presence) override;
  void handle_event(const Event& event, EventContext& context) override;
  std::optional<AccessibilityNode> accessibility() const override;
  bool perform_action(const AccessibilityAction& action) override;

 private:
  Dropdown(PublishedCell<std::string> cell, std::vector<std::string> choices)
      : cell_(std::move(cell)), choices_(std::move(choices)) {}
  std::optional<std::size_t> chosen_index() const;
  void open();
  void close() { open_ = false; }
  void choose(std::size_t index);

  PublishedCell<std::string> cell_;
  std::vector<std::string> choices_;
  std::string placeholder_;
  bool open_ = false;
  std::size_t highlight_ = 0;
  Rect popup_;
};

}  // namespace orvo_ui
