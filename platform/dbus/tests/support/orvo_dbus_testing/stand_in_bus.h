#pragma once
// Test support: a private D-Bus daemon with python3-dbusmock stand-ins of system services on it.
// While a StandInBus lives, DBUS_SYSTEM_BUS_ADDRESS and DBUS_SESSION_BUS_ADDRESS point at it, so
// the code under test talks to the stand-ins exactly as it would to the real services.
#include <sys/types.h>

#include <expected>
#include <memory>
#include <string>
#include <vector>

namespace orvo_dbus_testing {

class StandInBus {
 public:
  // Starts the daemon; the error says why it could not (the test then skips).
  static std::expected<std::unique_ptr<StandInBus>, std::string> start();
  ~StandInBus();

  const std::string& address() const { return address_; }

  // Starts `python3 -m dbusmock` with the arguments (for example {"--template", "timedated"}) and
  // waits until `service` is owned on the bus.
  std::expected<void, std::string> start_mock(const std::vector<std::string>& arguments, const std::string& service);

 private:
  StandInBus() = default;
  pid_t daemon_ = -1;
  std::vector<pid_t> mocks_;
  std::string address_;
  std::string saved_system_;
  std::string saved_session_;
  bool had_system_ = false;
  bool had_session_ = false;
};

}  // namespace orvo_dbus_testing

// Starts a stand-in bus into `var`, or skips the test with the reason.
#define ORVO_STAND_IN_BUS(var)                                                     \
  auto var##_started = ::orvo_dbus_testing::StandInBus::start();                   \
  if (!var##_started) GTEST_SKIP() << "stand-in bus unavailable: " << var##_started.error(); \
  [[maybe_unused]] auto& var = *var##_started.value()

// Starts a dbusmock stand-in on `bus`, or skips the test with the reason.
#define ORVO_STAND_IN_MOCK(bus, service, ...)                                              \
  do {                                                                                     \
    auto started_mock = (bus).start_mock({__VA_ARGS__}, service);                          \
    if (!started_mock) GTEST_SKIP() << "stand-in " << (service) << " unavailable: " << started_mock.error(); \
  } while (false)
