#pragma once
// How the update service layer runs base-system commands: through the bounded runner, with no
// standard input, the usual output cap and one of four time limits. The limits sit in one table so
// that tests can shorten them, and the runner itself can be wrapped (for example to record what ran).
#include <chrono>
#include <expected>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "orvo_runtime/bounded_command.h"

namespace settings::panes::updates {

// Time limits, in whole seconds.
struct CommandLimits {
  std::chrono::seconds read{10};       // bootc status, journalctl, is-enabled
  std::chrono::seconds change{30};     // policy actions, timer enable/disable, reboot
  std::chrono::seconds rollback{300};  // selecting the previous image
  std::chrono::seconds update{1800};   // fetching and staging an update
};

// The output of a command that ran, or "{program} command failed: {reason}" when it could not run
// or did not finish in time. The exit status is left to the caller.
using CommandResult = std::expected<bounded_command::Output, std::string>;

CommandResult run_command(std::string_view program, std::span<const std::string> arguments,
                          std::chrono::seconds time_limit);

using CommandRunner =
    std::function<CommandResult(std::string_view program, std::span<const std::string> arguments,
                                std::chrono::seconds time_limit)>;

// What every backend of this layer runs its commands with. Safe to share between threads.
struct ServiceCommands {
  CommandLimits limits;
  CommandRunner run = run_command;
};

}  // namespace settings::panes::updates
