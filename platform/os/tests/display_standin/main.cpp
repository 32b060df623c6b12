// orvo-display-standin: plays the compositor's part in display configuration where there is no
// compositor (tests, benchmarks, `scripts/run` without a display). It publishes the outputs given
// on its command line as the display hardware snapshot, announces itself, and answers display
// transactions: a valid configuration is applied after a short delay and kept on trial until the
// user keeps it or the trial ends; an invalid one is rejected with the reason.
//
//   orvo-display-standin [--trial-ms N] [--apply-delay-ms N] CONNECTOR:WIDTHxHEIGHT[:builtin]...
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "orvo_runtime/atomic_file.h"
#include "settings_store/display_config.h"
#include "settings_store/display_hardware.h"
#include "settings_store/display_transaction.h"

namespace {

namespace hw = settings_store::hardware;
using hw::DisplayDecision;
using hw::DisplayTransaction;
using State = hw::DisplayTransactionState;

constexpr std::uint32_t kRefreshMhz = 60000;
constexpr auto kPoll = std::chrono::milliseconds(20);

std::atomic<bool> g_stop{false};

void on_signal(int) { g_stop = true; }

struct Output {
  std::string connector;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  bool built_in = false;

  // The native size and, when smaller, 1280 × 720 as a second choice.
  std::vector<hw::OutputMode> modes() const {
    std::vector<hw::OutputMode> list{{width, height, kRefreshMhz}};
    if (width > 1280 && height > 720) list.push_back({1280, 720, kRefreshMhz});
    return list;
  }
};

struct Options {
  std::uint64_t trial_ms = hw::kDisplayTrialMs;
  std::uint64_t apply_delay_ms = 200;
  std::vector<Output> outputs;
};

std::optional<std::uint64_t> number(std::string_view text) {
  std::uint64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<Output> parse_output(std::string_view text) {
  const auto colon = text.find(':');
  if (colon == std::string_view::npos || colon == 0) return std::nullopt;
  Output output{std::string(text.substr(0, colon))};
  std::string_view rest = text.substr(colon + 1);
  const auto flag = rest.find(':');
  if (flag != std::string_view::npos) {
    if (rest.substr(flag + 1) != "builtin") return std::nullopt;
    output.built_in = true;
    rest = rest.substr(0, flag);
  }
  const auto x = rest.find('x');
  if (x == std::string_view::npos) return std::nullopt;
  const auto width = number(rest.substr(0, x));
  const auto height = number(rest.substr(x + 1));
  if (!width || !height || *width == 0 || *height == 0 || *width > 65535 || *height > 65535) return std::nullopt;
  output.width = static_cast<std::uint32_t>(*width);
  output.height = static_cast<std::uint32_t>(*height);
  return output;
}

std::optional<Options> parse_options(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--trial-ms" || arg == "--apply-delay-ms") {
      const auto value = i + 1 < argc ? number(argv[++i]) : std::nullopt;
      if (!value) return std::nullopt;
      (arg == "--trial-ms" ? options.trial_ms : options.apply_delay_ms) = *value;
      continue;
    }
    auto output = parse_output(arg);
    if (!output) return std::nullopt;
    options.outputs.push_back(std::move(*output));
  }
  if (options.outputs.empty()) return std::nullopt;
  return options;
}

nlohmann::ordered_json mode_json(const hw::OutputMode& mode) {
  return {{"width", mode.width}, {"height", mode.height}, {"refresh_mhz", mode.refresh_mhz}};
}

std::string snapshot_json(const std::vector<Output>& outputs) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const auto& output : outputs) {
    nlohmann::ordered_json modes = nlohmann::ordered_json::array();
    for (const auto& mode : output.modes()) modes.push_back(mode_json(mode));
    list.push_back({{"connector", output.connector},
                    {"display_name", output.built_in ? "Built-in display" : "Stand-in " + output.connector},
                    {"modes", modes},
                    {"current_mode", mode_json(output.modes().front())},
                    {"connected", true},
                    {"built_in", output.built_in}});
  }
  return nlohmann::ordered_json{{"outputs", list}}.dump();
}

std::vector<hw::OutputCapabilities> capabilities(const std::vector<Output>& outputs) {
  std::vector<hw::OutputCapabilities> list;
  for (const auto& output : outputs) list.push_back({output.connector, output.modes(), {}, false, false});
  return list;
}

bool publish(const DisplayTransaction& transaction) {
  const auto written = transaction.publish_state();
  if (!written) std::fprintf(stderr, "orvo-display-standin: %s\n", written.error().c_str());
  return written.has_value();
}

void sleep_until_stopped_or(std::chrono::steady_clock::time_point until) {
  while (!g_stop && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(kPoll);
}

// Carries one request through to its outcome (or until the stand-in is told to stop).
void answer(const hw::DisplayRequest& request, const Options& options) {
  const auto valid = request.config.validate_for(capabilities(options.outputs));
  if (!valid) {
    publish({request.id, State::Rejected, "invalid display configuration: " + hw::debug_string(valid.error()),
             std::nullopt});
    return;
  }
  publish({request.id, State::Requested, std::nullopt, std::nullopt});
  sleep_until_stopped_or(std::chrono::steady_clock::now() + std::chrono::milliseconds(options.apply_delay_ms));
  if (g_stop) return;

  const std::uint64_t deadline = hw::unix_ms() + options.trial_ms;
  publish({request.id, State::AwaitingConfirmation, std::nullopt, deadline});
  while (!g_stop) {
    const auto latest = DisplayTransaction::load_request();
    const bool superseded = latest && *latest && (*latest)->id != request.id;
    const auto decision = latest && *latest && !superseded ? (*latest)->decision : std::nullopt;
    if (decision == DisplayDecision::Keep) {
      const auto saved = request.config.save();
      if (!saved) {
        publish({request.id, State::Reverted, "could not keep the configuration: " + saved.error(), std::nullopt});
        return;
      }
      publish({request.id, State::Kept, std::nullopt, std::nullopt});
      return;
    }
    if (decision == DisplayDecision::Revert || superseded || hw::unix_ms() >= deadline) {
      publish({request.id, State::Reverted, std::nullopt, std::nullopt});
      return;
    }
    std::this_thread::sleep_for(kPoll);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const auto options = parse_options(argc, argv);
  if (!options) {
    std::fprintf(stderr,
                 "usage: orvo-display-standin [--trial-ms N] [--apply-delay-ms N] "
                 "CONNECTOR:WIDTHxHEIGHT[:builtin]...\n");
    return 2;
  }
  struct sigaction action {};
  action.sa_handler = on_signal;
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGINT, &action, nullptr);

  const auto snapshot = settings_store::DisplayHardwareSnapshot::path();
  if (auto written = atomic_file::write_creating_parent_with_mode(snapshot, snapshot_json(options->outputs), 0600);
      !written) {
    std::fprintf(stderr, "orvo-display-standin: could not publish the outputs: %s\n", written.error().c_str());
    return 1;
  }
  // Requests made before this start are not answered: they belong to an earlier compositor.
  std::uint64_t answered = 0;
  if (const auto earlier = DisplayTransaction::load_request(); earlier && *earlier) answered = (*earlier)->id;
  if (auto announced = atomic_file::write_creating_parent_with_mode(DisplayTransaction::announcement_path(),
                                                                    std::to_string(::getpid()) + "\n", 0600);
      !announced) {
    std::fprintf(stderr, "orvo-display-standin: could not announce itself: %s\n", announced.error().c_str());
    return 1;
  }

  while (!g_stop) {
    const auto request = DisplayTransaction::load_request();
    if (request && *request && (*request)->id > answered) {
      answered = (*request)->id;
      answer(**request, *options);
      continue;
    }
    std::this_thread::sleep_for(kPoll);
  }
  (void)atomic_file::remove(DisplayTransaction::announcement_path());
  (void)atomic_file::remove(snapshot);
  return 0;
}
