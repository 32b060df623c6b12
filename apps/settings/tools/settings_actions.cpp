// orvo-settings-actions: a developer tool that runs the device-local operation reader by hand.
//
//   orvo-settings-actions key <kind> <payload>
//
// Prints the operation key and exits 0; prints the reader's message to standard error and exits 1
// when the kind or payload is refused; exits 2 on a wrong command line.
#include <cstdio>
#include <string>
#include <string_view>

#include "actions/device_local_operation.h"

namespace {

constexpr int kRefused = 1;
constexpr int kUsage = 2;

int usage() {
  std::fputs("usage: orvo-settings-actions key <kind> <payload>\n", stderr);
  return kUsage;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 || std::string_view(argv[1]) != "key") return usage();
  auto key = settings::actions::parse_device_local_operation(argv[2], argv[3]);
  if (!key) {
    std::fprintf(stderr, "%s\n", key.error().c_str());
    return kRefused;
  }
  std::printf("%s\n", key->c_str());
  return 0;
}
