// IMAP server lines as the account sign-in check reads them: the greeting and tagged answers.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "account_probe/imap_response.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  (void)settings::account_probe::is_ok_greeting(line);
  (void)settings::account_probe::classify_response(line, "A1");
  (void)settings::account_probe::classify_response(line, "");
  return 0;
}
