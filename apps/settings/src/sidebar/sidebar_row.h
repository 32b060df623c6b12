#pragma once
// One entry of the sidebar: a section's icon and title on a rounded pill that shows selection, hover
// and press, with a focus ring while it has keyboard focus. Activating the row (a click, Enter or
// Space while focused, or the accessibility activation) publishes its section into the sidebar
// selection cell; the root picks the request up on its next sync and switches the page.
//
// A row is rebuilt with the sidebar whenever the selection changes, so its `selected` mark is fixed
// for its life. Interface thread only.
#include <memory>
#include <optional>

#include "orvo_ui/published_cell.h"
#include "orvo_ui/widget.h"
#include "sections/sections.h"

namespace settings::sidebar {

// Where a sidebar row asks for its section to be opened; the root owns it and every row holds a
// handle to it.
using SidebarSelectionCell = orvo_ui::PublishedCell<std::optional<settings_app::SettingsSection>>;

class SidebarRow final : public orvo_ui::Widget {
 public:
  // Row geometry, in points.
  static constexpr double kPillInsetX = 8;
  static constexpr double kPillInsetY = 4;
  static constexpr double kIconBox = 20;
  static constexpr double kIconSize = 18;
  static constexpr double kPadding = 12;
  static constexpr float kLineHeight = 1.25f;
  static constexpr float kMinHeight = 40;
  static constexpr float kVerticalPadding = 16;
  // Left: inset, padding, icon box, padding; right: padding, inset.
  static constexpr float kTitleReserve = 72;
  // The title's width limit when the row's width is not known.
  static constexpr float kUnknownWidthTitle = 184;
  static constexpr float kDefaultTextSize = 14;

  SidebarRow(settings_app::SettingsSection section, std::optional<settings_app::SettingsSection> current,
             SidebarSelectionCell selection);

  // A boxed row for `section`, selected when it is the current selection.
  static std::unique_ptr<SidebarRow> make(std::optional<settings_app::SettingsSection> current,
                                          const SidebarSelectionCell& selection,
                                          settings_app::SettingsSection section);

  // Publishes the row's section into the selection cell; a refused publication is dropped.
  void select();

  settings_app::SettingsSection section() const { return section_; }
  bool selected() const { return selected_; }
  bool hovered() const { return hovered_; }
  bool pressed() const { return pressed_; }
  float text_size() const { return text_size_; }
  const SidebarSelectionCell& selection() const { return selection_; }

  std::string_view type_name() const override { return "settings::sidebar::SidebarRow"; }
  std::string_view name() const override { return "SidebarRow"; }
  std::optional<std::string> widget_id() const override;

  void sync(orvo_ui::SyncContext&) override {}
  orvo_ui::NodeId build_layout(orvo_ui::LayoutTree& tree, orvo_ui::LayoutContext& context,
                               orvo_ui::NodeMap& nodes) override;
  orvo_ui::Size measure(orvo_ui::KnownSize known, orvo_ui::AvailableSize available,
                        orvo_ui::TextRenderer& text) override;
  void apply_layout(const orvo_ui::LayoutTree& tree, orvo_ui::NodeId node, double x, double y) override;
  void draw(orvo_ui::Scene& scene, orvo_ui::Affine transform, orvo_ui::TextRenderer& text,
            const orvo_ui::Theme& theme, const orvo_ui::PresenceContext& presence) override;
  void handle_event(const orvo_ui::Event& event, orvo_ui::EventContext& context) override;

  orvo_ui::Rect get_rect() const override { return rect_; }
  std::optional<orvo_ui::CursorKind> cursor_at(orvo_ui::Point point) const override;
  bool is_focusable() const override { return true; }
  void set_focus(bool focused) override { focused_ = focused; }
  bool has_focus() const override { return focused_; }
  std::optional<orvo_ui::AccessibilityNode> accessibility() const override;
  bool perform_action(const orvo_ui::AccessibilityAction& action) override;
  std::optional<std::string> get_state() const override;

 private:
  float resolved_text_size(orvo_ui::TextRenderer& text) const;

  orvo_ui::Rect rect_;
  SidebarSelectionCell selection_;
  float text_size_ = kDefaultTextSize;
  settings_app::SettingsSection section_;
  bool selected_ = false;
  bool hovered_ = false;
  bool pressed_ = false;
  bool focused_ = false;
};

}  // namespace settings::sidebar
