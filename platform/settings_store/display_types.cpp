#include "settings_store/display_types.h"

namespace settings_store::hardware {

std::string_view to_string(OutputTransform transform) {
  return describe_json(orvo_json::Tag<OutputTransform>{}).name_of(transform);
}

std::optional<OutputTransform> output_transform_from_string(std::string_view text) {
  return describe_json(orvo_json::Tag<OutputTransform>{}).from_name(text);
}

}  // namespace settings_store::hardware
