#include "orvo_dbus/connection.h"

#include <poll.h>
#include <systemd/sd-bus.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>

#include <fmt/format.h>

namespace orvo_dbus {
namespace {

constexpr std::string_view kLocalError = "org.orvo.Error.Local";
constexpr std::string_view kPropertiesInterface = "org.freedesktop.DBus.Properties";
constexpr std::string_view kObjectManagerInterface = "org.freedesktop.DBus.ObjectManager";

}  // namespace

std::string Error::text() const { return message.empty() ? name : message; }

bool Error::service_missing() const {
  return name == "org.freedesktop.DBus.Error.ServiceUnknown" || name == "org.freedesktop.DBus.Error.NameHasNoOwner";
}

Connection::Connection(std::unique_ptr<sdbus::IConnection> connection) : connection_(std::move(connection)) {}
Connection::Connection(Connection&&) noexcept = default;
Connection& Connection::operator=(Connection&&) noexcept = default;
Connection::~Connection() = default;

namespace {

// sd-bus says "Failed to open bus (No such file or directory)": keep the reason in parentheses.
std::string open_failure_reason(std::string message) {
  const auto open = message.rfind('(');
  if (open != std::string::npos && message.ends_with(')')) message = message.substr(open + 1, message.size() - open - 2);
  if (!message.empty()) message[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(message[0])));
  return message;
}

}  // namespace

std::expected<Connection, Error> Connection::open(Bus bus) {
  const char* which = bus == Bus::System ? "system" : "session";
  try {
    auto connection = bus == Bus::System ? sdbus::createSystemBusConnection() : sdbus::createSessionBusConnection();
    return Connection(std::move(connection));
  } catch (const sdbus::Error& e) {
    return std::unexpected(Error{std::string(kLocalError), fmt::format("the {} bus is not available ({})", which,
                                                                       open_failure_reason(e.getMessage()))});
  } catch (const std::exception& e) {
    return std::unexpected(
        Error{std::string(kLocalError), fmt::format("the {} bus is not available ({})", which, e.what())});
  }
}

std::uint64_t Connection::to_microseconds(std::chrono::milliseconds timeout) {
  // sd-bus reads 0 as "its own default"; a caller's zero means "as short as possible".
  return static_cast<std::uint64_t>(std::max<std::int64_t>(timeout.count(), 1)) * 1000;
}

Error Connection::from_sdbus(const sdbus::Error& error) {
  std::string message = error.getMessage();
  if (error.getName() == "org.freedesktop.DBus.Error.NoReply" || error.getName() == "org.freedesktop.DBus.Error.Timeout") {
    message = "the service did not answer in time";
  }
  return Error{error.getName(), std::move(message)};
}

namespace {

// sdbus-c++ 1.2 keeps the sd-bus message to itself and offers no setter for this flag; a derived
// type may name the protected member, which is all this reads.
struct RawMessage : sdbus::MethodCall {
  static sd_bus_message* of(sdbus::MethodCall& message) {
    return static_cast<sd_bus_message*>(message.*(&RawMessage::msg_));
  }
};

}  // namespace

void Connection::allow_interactive_authorisation(sdbus::MethodCall& message) {
  const int result = sd_bus_message_set_allow_interactive_authorization(RawMessage::of(message), 1);
  if (result < 0) {
    throw sdbus::Error(std::string(kLocalError),
                       fmt::format("could not allow interactive authorisation ({})", std::strerror(-result)));
  }
}

Error Connection::local_error(std::string message) { return Error{std::string(kLocalError), std::move(message)}; }

std::expected<sdbus::Variant, Error> Connection::property(const Target& target, std::string_view interface,
                                                          std::string_view name, std::chrono::milliseconds timeout) {
  auto reply = call<sdbus::Variant>(target, kPropertiesInterface, "Get", timeout, std::string(interface),
                                    std::string(name));
  if (!reply) return std::unexpected(reply.error());
  return std::get<0>(std::move(*reply));
}

std::expected<Properties, Error> Connection::all_properties(const Target& target, std::string_view interface,
                                                            std::chrono::milliseconds timeout) {
  auto reply = call<Properties>(target, kPropertiesInterface, "GetAll", timeout, std::string(interface));
  if (!reply) return std::unexpected(reply.error());
  return std::get<0>(std::move(*reply));
}

std::expected<void, Error> Connection::set_property(const Target& target, std::string_view interface,
                                                    std::string_view name, const sdbus::Variant& value,
                                                    std::chrono::milliseconds timeout) {
  auto reply = call<>(target, kPropertiesInterface, "Set", timeout, std::string(interface), std::string(name), value);
  if (!reply) return std::unexpected(reply.error());
  return {};
}

std::expected<ManagedObjects, Error> Connection::managed_objects(const Target& target,
                                                                 std::chrono::milliseconds timeout) {
  auto reply = call<ManagedObjects>(target, kObjectManagerInterface, "GetManagedObjects", timeout);
  if (!reply) return std::unexpected(reply.error());
  return std::get<0>(std::move(*reply));
}

struct SignalWatch::State {
  Reader reader;
  bool received = false;
};

SignalWatch::SignalWatch(sdbus::IConnection* connection, std::shared_ptr<State> state, sdbus::Slot slot)
    : connection_(connection), state_(std::move(state)), slot_(std::move(slot)) {}
SignalWatch::SignalWatch(SignalWatch&&) noexcept = default;
SignalWatch& SignalWatch::operator=(SignalWatch&&) noexcept = default;
SignalWatch::~SignalWatch() = default;

std::expected<void, Error> SignalWatch::wait(std::chrono::milliseconds timeout) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + timeout;
  try {
    while (true) {
      // Messages that arrived while a method call waited for its reply are queued already.
      while (!state_->received && connection_->processPendingRequest()) {
      }
      if (state_->received) return {};
      const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      if (remaining.count() <= 0) {
        return std::unexpected(Error{"org.freedesktop.DBus.Error.Timeout", "the service did not answer in time"});
      }
      const auto poll_data = connection_->getEventLoopPollData();
      pollfd fd{poll_data.fd, poll_data.events, 0};
      ::poll(&fd, 1, static_cast<int>(std::min<std::int64_t>(remaining.count(), 100)));
    }
  } catch (const sdbus::Error& e) {
    return std::unexpected(Error{e.getName(), e.getMessage()});
  }
}

std::expected<SignalWatch, Error> Connection::watch_signal(std::string_view path, std::string_view interface,
                                                           std::string_view member, SignalWatch::Reader reader) {
  const std::string rule =
      fmt::format("type='signal',path='{}',interface='{}',member='{}'", path, interface, member);
  auto state = std::make_shared<SignalWatch::State>();
  state->reader = std::move(reader);
  try {
    // The match is in place on the bus when addMatch returns.
    auto slot = connection_->addMatch(rule, [weak = std::weak_ptr<SignalWatch::State>(state)](sdbus::Message& message) {
      auto target = weak.lock();
      if (!target || target->received) return;
      target->received = true;
      try {
        if (target->reader) target->reader(message);
      } catch (const std::exception&) {
        // The reader's own values stay as they were; the caller sees what it could read.
      }
    });
    return SignalWatch(connection_.get(), std::move(state), std::move(slot));
  } catch (const sdbus::Error& e) {
    return std::unexpected(from_sdbus(e));
  }
}

std::expected<std::string, Error> Connection::unique_name() {
  try {
    return connection_->getUniqueName();
  } catch (const sdbus::Error& e) {
    return std::unexpected(from_sdbus(e));
  }
}

}  // namespace orvo_dbus
