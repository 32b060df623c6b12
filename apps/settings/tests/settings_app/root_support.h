#pragma once
// A SettingsApp run by the toolkit's frame loop in an offscreen 1280x800 window, driven by script
// lines of real input events, and read back through its state snapshot.
#include <gtest/gtest.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "frame_loop.h"
#include "offscreen_backend.h"
#include "orvo_ui/launch.h"
#include "settings_app/settings_app.h"
#include "sidebar/sidebar_row.h"

namespace settings::settings_app::testing {

class RootInALoop {
 public:
  explicit RootInALoop(std::uint32_t width = 1280, std::uint32_t height = 800)
      : backend_(width, height),
        root_(std::make_unique<SettingsApp>(std::nullopt)),
        loop_(backend_, *root_, app_, orvo_ui::TextRenderer::Metrics::Fixed) {}

  // Runs one frame (the first frame lays the window out).
  void frame() { loop_.frame(backend_.take_events()); }

  // Runs script lines ("click 40 120", "text wifi", "resize 600 800", "frames 2").
  void run(const std::string& script) {
    auto steps = orvo_ui::launch::parse_script(script);
    ASSERT_TRUE(steps.has_value()) << steps.error();
    for (const auto& step : *steps) {
      if (auto* deliver = std::get_if<orvo_ui::launch::step::Deliver>(&step)) {
        backend_.push(deliver->event);
      } else if (auto* resize = std::get_if<orvo_ui::launch::step::Resize>(&step)) {
        backend_.resize(resize->width, resize->height);
      } else {
        for (std::uint32_t i = 1; i < std::get<orvo_ui::launch::step::Frames>(step).count; ++i) frame();
      }
      frame();
    }
  }

  nlohmann::json state() { return nlohmann::json::parse(root_->state_json(loop_.document(), orvo_doc::kRoot).value()); }

  // The sidebar row of a section, when the sidebar shows it.
  const sidebar::SidebarRow* row(SettingsSection section) const {
    const sidebar::SidebarRow* found = nullptr;
    std::function<void(const orvo_ui::Widget&)> walk = [&](const orvo_ui::Widget& w) {
      if (auto* r = dynamic_cast<const sidebar::SidebarRow*>(&w); r && r->section() == section) found = r;
      w.for_each_child(walk);
    };
    walk(*root_);
    return found;
  }

  // Script line clicking the middle of a section's sidebar row.
  std::string click_row(SettingsSection section) const {
    const sidebar::SidebarRow* r = row(section);
    EXPECT_NE(r, nullptr) << section.id();
    if (!r) return "frames 1";
    auto c = r->get_rect().center();
    return "click " + std::to_string(static_cast<int>(c.x)) + " " + std::to_string(static_cast<int>(c.y));
  }

  // Script line clicking the middle of the search field.
  std::string click_search_field() {
    auto rect = state()["search_rect"];
    EXPECT_TRUE(rect.is_array());
    if (!rect.is_array()) return "frames 1";
    const int x = static_cast<int>((rect[0].get<double>() + rect[2].get<double>()) / 2);
    const int y = static_cast<int>((rect[1].get<double>() + rect[3].get<double>()) / 2);
    return "click " + std::to_string(x) + " " + std::to_string(y);
  }

  SettingsApp& root() { return *root_; }
  orvo_ui::OffscreenBackend& backend() { return backend_; }
  orvo_ui::FrameLoop& loop() { return loop_; }

 private:
  orvo_ui::OffscreenBackend backend_;
  orvo_ui::App app_;
  std::unique_ptr<SettingsApp> root_;
  orvo_ui::FrameLoop loop_;
};

inline std::vector<std::string> all_ids() {
  std::vector<std::string> ids;
  for (SettingsSection s : SIDEBAR_ORDER) ids.emplace_back(s.id());
  return ids;
}

}  // namespace settings::settings_app::testing
