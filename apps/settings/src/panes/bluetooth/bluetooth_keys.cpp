#include "panes/bluetooth/bluetooth_keys.h"

#include <algorithm>

namespace settings::panes::bluetooth {

std::string bluetooth_device_segment(std::string_view path) {
  const auto slash = path.rfind('/');
  std::string segment(slash == std::string_view::npos ? path : path.substr(slash + 1));
  std::replace(segment.begin(), segment.end(), '.', '_');
  return segment;
}

std::string bluetooth_device_key(std::string_view path, std::string_view word) {
  std::string key = "bluetooth.device.";
  key += bluetooth_device_segment(path);
  key += '.';
  key += word;
  return key;
}

}  // namespace settings::panes::bluetooth
