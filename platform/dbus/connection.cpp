#include "orvo_dbus/connection.h"

#include <cctype>

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

}  // namespace orvo_dbus
