#pragma once
// The window's frame: a navigation column (with an optional search field above it) beside the
// content. With the narrow layout enabled, a window narrower than the breakpoint shows one of the
// two at a time: the navigation until a selection is made (`notify_selection`), then the content
// under a bar whose back button (or Escape, or Alt+Left, when the page does not use the key)
// returns to the navigation.
//
// Replacing the navigation or the content marks the structure dirty; the loop learns it once from
// `take_structure_dirty` and lays the window out again.
#include <memory>
#include <optional>
#include <string>

#include "orvo_ui/widget.h"

namespace orvo_ui {

class AppShell final : public Widget {
 public:
  static constexpr float kDefaultBreakpoint = 720;
  static constexpr float kDefaultNavWidth = 264;
  static constexpr float kSearchPadding = 12;
  static constexpr float kBackBarHeight = 44;

  AppShell(std::unique_ptr<Widget> nav, std::unique_ptr<Widget> content);

  // The search field shown above the navigation; any widget.
  [[nodiscard]] AppShell with_search(std::unique_ptr<Widget> search) &&;
  // Windows narrower than this (in points) use the narrow layout, when it is enabled.
  [[nodiscard]] AppShell with_breakpoint(float width) &&;
  [[nodiscard]] AppShell with_nav_width(float width) &&;
  [[nodiscard]] AppShell with_narrow_screen(bool enabled) &&;
  [[nodiscard]] AppShell with_id(std::string_view id) &&;

  void set_nav(std::unique_ptr<Widget> nav);
  void set_content(std::unique_ptr<Widget> content);
  // A selection was made in the navigation: the narrow layout turns to the content.
  void notify_selection();
  // The narrow layout turns back to the navigation (what the back button does).
  void show_navigation();

  const Widget* nav() const { return nav_.get(); }
  const Widget* content() const { return content_.get(); }
  const Widget* search() const { return search_.get(); }
  // The content area as last laid out, and its width (0 before the first layout or while hidden).
  Rect content_rect() const { return content_rect_; }
  double content_width() const { return content_rect_.width(); }
  Rect nav_rect() const { return nav_rect_; }
  // Whether the last layout used the narrow arrangement, and which side it shows.
  bool is_narrow() const { return narrow_; }
  bool showing_content() const { return !narrow_ || show_content_; }

  std::string_view type_name() const override { return "orvo_ui::widget::app_shell::AppShell"; }
  std::string_view name() const override { return "AppShell"; }
  std::optional<std::string> widget_id() const override { return id_; }

  void sync(SyncContext& context) override;
  bool update() override;
  NodeId build_layout(LayoutTree& tree, LayoutContext& context, NodeMap& nodes) override;
  void apply_layout(const LayoutTree& tree, NodeId node, double x, double y) override;
  void draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
            const PresenceContext& presence) override;
  void handle_event(const Event& event, EventContext& context) override;
  bool needs_idle_sync() const override;
  bool take_structure_dirty() override;
  std::vector<const Widget*> children() const override;
  std::vector<Widget*> children_mut() override;
  Rect get_rect() const override { return rect_; }

 private:
  enum class Arrangement : std::uint8_t { SideBySide, NarrowNav, NarrowContent };
  Arrangement arrangement() const;
  void forward(Widget* widget, NodeId node, const Event& event, EventContext& context);

  std::unique_ptr<Widget> nav_;
  std::unique_ptr<Widget> content_;
  std::unique_ptr<Widget> search_;
  std::optional<std::string> id_;
  float breakpoint_ = kDefaultBreakpoint;
  float nav_width_ = kDefaultNavWidth;
  bool narrow_screen_ = false;
  bool narrow_ = false;
  bool show_content_ = false;
  bool structure_dirty_ = false;
  bool back_pressed_ = false;

  // Nodes of the last layout (0 when the part was not laid out).
  NodeId nav_node_ = 0;
  NodeId content_node_ = 0;
  NodeId search_node_ = 0;
  NodeId nav_panel_node_ = 0;
  NodeId search_slot_node_ = 0;
  NodeId content_area_node_ = 0;
  NodeId back_node_ = 0;
  Arrangement laid_out_ = Arrangement::SideBySide;
  Rect rect_;
  Rect nav_rect_;
  Rect content_rect_;
  Rect search_rect_;
  Rect back_rect_;
};

}  // namespace orvo_ui
