#pragma once
// The application's entry: the descriptor handed to the toolkit's launcher.
#include <memory>

#include "orvo_ui/app.h"

namespace settings {

inline constexpr std::string_view kAppId = "so.orvo.settings";

std::unique_ptr<orvo_ui::Widget> build_root_widget();
void register_actions(orvo_ui::App& app);
orvo_ui::WindowSize initial_window_size();
orvo_ui::WindowSize minimum_window_size();
orvo_ui::AppDescriptor make_descriptor();

}  // namespace settings
