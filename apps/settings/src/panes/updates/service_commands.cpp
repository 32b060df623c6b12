#include "panes/updates/service_commands.h"

#include <fmt/format.h>

#include <optional>

namespace settings::panes::updates {

CommandResult run_command(std::string_view program, std::span<const std::string> arguments,
                          std::chrono::seconds time_limit) {
  auto output = bounded_command::run(program, arguments, std::nullopt, bounded_command::kDefaultOutputLimit,
                                     std::chrono::duration_cast<std::chrono::milliseconds>(time_limit));
  if (!output) return std::unexpected(fmt::format("{} command failed: {}", program, output.error().display()));
  return std::move(*output);
}

}  // namespace settings::panes::updates
