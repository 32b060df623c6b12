// fwupdmgr's JSON listings (upgrades, history, devices): any bytes give a list or an error.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "os_actions/firmware.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace firmware = os_actions::firmware;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)firmware::parse_firmware_updates(text);
  (void)firmware::parse_firmware_history(text);
  (void)firmware::devices_need_restart(text);
  return 0;
}
