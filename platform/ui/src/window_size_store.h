#pragma once
// The window size the user left, kept in the application's state folder for the next start when
// the application asks for it (the "remember size" flag). A missing, unreadable or nonsensical
// file means no remembered size, never a failure.
#include <filesystem>
#include <optional>

#include "orvo_ui/app.h"

namespace orvo_ui::window_size_store {

inline constexpr std::string_view kFileName = "window-size.json";

std::optional<WindowSize> load(const std::filesystem::path& folder);

// Written atomically; a failure is logged and otherwise ignored.
void save(const std::filesystem::path& folder, WindowSize size);

}  // namespace orvo_ui::window_size_store
