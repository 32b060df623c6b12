#pragma once
// The page the window shows until the sidebar and panes exist: the application's name, centred.
#include "orvo_ui/widget.h"

namespace settings::settings_app {

class StartupPage final : public orvo_ui::Widget {
 public:
  std::string_view type_name() const override { return "settings::settings_app::StartupPage"; }
  std::string_view name() const override { return "StartupPage"; }
  std::optional<std::string> state_json() override;

  void sync(orvo_ui::SyncContext&) override {}
  orvo_ui::NodeId build_layout(orvo_ui::LayoutTree& tree, orvo_ui::LayoutContext& context,
                               orvo_ui::NodeMap& nodes) override;
  void apply_layout(const orvo_ui::LayoutTree& tree, orvo_ui::NodeId node, double x, double y) override;
  void draw(orvo_ui::Scene& scene, orvo_ui::Affine transform, orvo_ui::TextRenderer& text, const orvo_ui::Theme& theme,
            const orvo_ui::PresenceContext& presence) override;
  void handle_event(const orvo_ui::Event&, orvo_ui::EventContext&) override {}
  orvo_ui::Rect get_rect() const override { return rect_; }
  std::optional<orvo_ui::AccessibilityNode> accessibility() const override;

 private:
  orvo_ui::Rect rect_;
};

}  // namespace settings::settings_app
