#include "orvo_dbus_testing/stand_in_bus.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "orvo_dbus/connection.h"

extern char** environ;

namespace orvo_dbus_testing {
namespace {

using namespace std::chrono_literals;

void stop_process(pid_t pid) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  for (int i = 0; i < 200; ++i) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) return;
    std::this_thread::sleep_for(10ms);
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
}

std::expected<pid_t, std::string> spawn(const std::vector<std::string>& argv_strings, int address_fd) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (address_fd >= 0) posix_spawn_file_actions_adddup2(&actions, address_fd, 3);
  std::vector<std::string> storage = argv_strings;
  std::vector<char*> argv;
  for (auto& a : storage) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int rc = ::posix_spawn(&pid, storage[0].c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return std::unexpected(storage[0] + ": " + std::strerror(rc));
  return pid;
}

}  // namespace

std::expected<std::unique_ptr<StandInBus>, std::string> StandInBus::start() {
  if (::access("/usr/bin/dbus-daemon", X_OK) != 0) return std::unexpected("/usr/bin/dbus-daemon is not installed");
  int pipe_fds[2];
  if (::pipe2(pipe_fds, O_CLOEXEC) != 0) return std::unexpected("no pipe");
  auto pid = spawn({"/usr/bin/dbus-daemon", "--config-file=/usr/share/dbus-1/session.conf", "--nofork", "--nopidfile",
                    "--print-address=3"},
                   pipe_fds[1]);
  ::close(pipe_fds[1]);
  if (!pid) {
    ::close(pipe_fds[0]);
    return std::unexpected(pid.error());
  }
  std::unique_ptr<StandInBus> bus(new StandInBus);
  bus->daemon_ = *pid;

  std::string address;
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (address.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    pollfd fd{pipe_fds[0], POLLIN, 0};
    if (::poll(&fd, 1, 100) <= 0) continue;
    char buffer[512];
    const ssize_t n = ::read(pipe_fds[0], buffer, sizeof buffer);
    if (n <= 0) break;
    address.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(pipe_fds[0]);
  if (address.find('\n') == std::string::npos) return std::unexpected("dbus-daemon printed no address");
  address.resize(address.find('\n'));
  bus->address_ = address;

  if (const char* v = std::getenv("DBUS_SYSTEM_BUS_ADDRESS")) bus->had_system_ = true, bus->saved_system_ = v;
  if (const char* v = std::getenv("DBUS_SESSION_BUS_ADDRESS")) bus->had_session_ = true, bus->saved_session_ = v;
  ::setenv("DBUS_SYSTEM_BUS_ADDRESS", address.c_str(), 1);
  ::setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
  return bus;
}

StandInBus::~StandInBus() {
  for (pid_t mock : mocks_) stop_process(mock);
  stop_process(daemon_);
  if (had_system_) ::setenv("DBUS_SYSTEM_BUS_ADDRESS", saved_system_.c_str(), 1); else ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
  if (had_session_) ::setenv("DBUS_SESSION_BUS_ADDRESS", saved_session_.c_str(), 1); else ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
}

std::expected<void, std::string> StandInBus::start_mock(const std::vector<std::string>& arguments,
                                                        const std::string& service) {
  // Debian's own interpreter: another python3 on PATH may not see Debian's Python packages.
  std::vector<std::string> argv{"/usr/bin/python3", "-m", "dbusmock"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  auto pid = spawn(argv, -1);
  if (!pid) return std::unexpected(pid.error());
  mocks_.push_back(*pid);

  auto connection = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  if (!connection) return std::unexpected(connection.error().text());
  const orvo_dbus::Target bus_daemon{"org.freedesktop.DBus", "/org/freedesktop/DBus"};
  const auto deadline = std::chrono::steady_clock::now() + 15s;
  while (std::chrono::steady_clock::now() < deadline) {
    auto owned = connection->call<bool>(bus_daemon, "org.freedesktop.DBus", "NameHasOwner", 1s, service);
    if (owned && std::get<0>(*owned)) return {};
    int status = 0;
    if (::waitpid(*pid, &status, WNOHANG) == *pid) {
      mocks_.pop_back();
      return std::unexpected("python3 -m dbusmock exited (is python3-dbusmock installed?)");
    }
    std::this_thread::sleep_for(20ms);
  }
  return std::unexpected("the mock did not appear on the bus");
}

}  // namespace orvo_dbus_testing
