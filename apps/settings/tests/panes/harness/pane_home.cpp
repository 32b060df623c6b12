#include "harness/pane_home.h"

#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace settings::panes::testing {

PaneHome::PaneHome() {
  char pattern[] = "/tmp/orvo-pane-XXXXXX";
  const char* made = ::mkdtemp(pattern);
  if (!made) throw std::runtime_error("could not make a temporary home");
  root_ = made;
  std::filesystem::create_directories(config());
  std::filesystem::create_directories(runtime());
  std::filesystem::permissions(runtime(), std::filesystem::perms::owner_all);
  paths_.emplace(root_, config(), runtime(), data(), cache());
}

PaneHome::~PaneHome() {
  paths_.reset();
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

std::filesystem::path PaneHome::system(std::string_view absolute) const {
  return system_paths::system_path(absolute);
}

void PaneHome::write(std::string_view relative, std::string_view content) const {
  const auto path = root_ / relative;
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

std::optional<std::string> PaneHome::read(std::string_view relative) const {
  std::ifstream in(root_ / relative, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace settings::panes::testing
