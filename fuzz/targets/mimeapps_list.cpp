// A mimeapps.list of any text: setting default applications in it never crashes, always leaves
// the assigned lines in it, and setting the same again changes nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

#include "desktop_policy/personal_defaults.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using desktop_policy::defaults::with_default_applications;
  const std::map<std::string, std::string> assignments{{"text/plain", "org.example.Editor.desktop"},
                                                       {"x-scheme-handler/https", "org.example.Browser.desktop"}};
  const std::string once =
      with_default_applications(std::string_view(reinterpret_cast<const char*>(data), size), assignments);
  for (const auto& [key, value] : assignments) {
    if (once.find(key + "=" + value + "\n") == std::string::npos) std::abort();
  }
  if (with_default_applications(once, assignments) != once) std::abort();
  return 0;
}
