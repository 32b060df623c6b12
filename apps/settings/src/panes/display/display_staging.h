#pragma once
// Turning edits of the per-output document keys into a display configuration to try: each edit is
// applied to a working copy of the configuration the pane shows, the primary output is settled,
// mirrored outputs get a mode both can show, and the result is checked against what the connected
// outputs can do. A text equal to what the pane shows for the entry is no edit, so a document that
// only reflects the configuration stages nothing.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "panes/display/display_outputs.h"

namespace settings::panes::display {

// The per-output keys as the document holds them; an absent or mistyped key is none.
struct OutputEdits {
  std::optional<bool> enabled{};
  std::optional<bool> primary{};
  std::optional<std::string> scale{};
  std::optional<std::string> mode{};
  std::optional<std::string> transform{};
  std::optional<bool> hdr{};
  std::optional<bool> vrr{};
  std::optional<std::string> color_profile{};
  std::optional<std::string> mirror{};
  std::optional<std::string> position{};
};

struct StagedLayout {
  hw::DisplayConfig working;
  bool changed = false;
  // The output now primary; every output's "primary" key follows it. None with no output on.
  std::optional<std::string> primary{};
  // Set when the working copy cannot be used.
  std::optional<hw::DisplayValidationError> invalid;
};

// `base` is the configuration the pane shows (the staged one when there is one, else the one in
// force); `edits` is by connector. Outputs that are not connected take no part.
StagedLayout stage_layout(const hw::DisplayConfig& base, const std::vector<DisplayOutput>& outputs,
                          const std::map<std::string, OutputEdits>& edits);

// The mode of that size with the highest refresh (the later one on a tie), or none.
std::optional<hw::OutputMode> best_mode_of_size(const std::vector<hw::OutputMode>& modes, std::uint32_t width,
                                                std::uint32_t height);
// The largest size of `modes` that `target` also offers (area, then width, then height), or none.
std::optional<std::pair<std::uint32_t, std::uint32_t>> largest_common_mode_size(const std::vector<hw::OutputMode>& modes,
                                                                                const std::vector<hw::OutputMode>& target);

// What the outputs can do, as the configuration check takes it.
std::vector<hw::OutputCapabilities> output_capabilities(const std::vector<DisplayOutput>& outputs);

// Why a layout cannot be used, as a sentence fragment naming the outputs by label.
std::string validation_reason(const hw::DisplayValidationError& error, const std::vector<DisplayOutput>& outputs);

}  // namespace settings::panes::display
