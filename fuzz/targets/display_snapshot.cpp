// The compositor's display snapshot: any text must give outputs or an error, never a crash.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "settings_store/display_hardware.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto snapshot =
      settings_store::DisplayHardwareSnapshot::parse(std::string_view(reinterpret_cast<const char*>(data), size));
  if (snapshot) {
    for (const auto& output : snapshot->outputs) {
      for (const auto& mode : output.modes) (void)mode.label();
    }
  }
  return 0;
}
