#pragma once
// A thin, value-returning layer over sdbus-c++ for talking to system services: open the system or
// session bus, call a method with a time limit, read and write properties, list the objects of an
// object manager. Nothing here throws; every failure is an `Error`. A missing bus fails at `open`
// at once; a service that is not running answers at once with the bus's ServiceUnknown error; a
// service that hangs is cut off by the call's time limit.
//
// A `Connection` belongs to one thread at a time (sd-bus is not thread-safe); backends open one per
// call, which keeps them stateless and callable from any worker.
#include <chrono>
#include <cstdint>
#include <expected>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

#include <sdbus-c++/sdbus-c++.h>

namespace orvo_dbus {

enum class Bus { System, Session };

inline constexpr std::chrono::milliseconds kDefaultTimeout{5000};

struct Error {
  std::string name;     // the D-Bus error name; "org.orvo.Error.Local" for failures on this side
  std::string message;  // the service's own words

  // The message, or the name when the service gave none.
  std::string text() const;
  // The service is not on the bus (not running, not installed).
  bool service_missing() const;
};

using Properties = std::map<std::string, sdbus::Variant>;
using InterfaceProperties = std::map<std::string, Properties>;
using ManagedObjects = std::map<sdbus::ObjectPath, InterfaceProperties>;

// Where a call goes: a bus name and an object path.
struct Target {
  std::string service;
  std::string path;
};

class Connection;

// One signal a service is expected to send, watched from before the call that makes it send the
// signal (so an answer that comes quickly is not missed). Belongs to the Connection that made it and
// must not outlive it.
class SignalWatch {
 public:
  // Reads the arguments of the signal (`message >> a >> b`); called once, for the first match.
  using Reader = std::function<void(sdbus::Message&)>;

  SignalWatch(SignalWatch&&) noexcept;
  SignalWatch& operator=(SignalWatch&&) noexcept;
  ~SignalWatch();

  // Waits up to `timeout` for the first matching signal, whose arguments the reader has read when
  // this returns. Past the time limit: "the service did not answer in time".
  std::expected<void, Error> wait(std::chrono::milliseconds timeout);

 private:
  friend class Connection;
  struct State;
  SignalWatch(sdbus::IConnection* connection, std::shared_ptr<State> state, sdbus::Slot slot);

  sdbus::IConnection* connection_ = nullptr;
  std::shared_ptr<State> state_;
  sdbus::Slot slot_;
};

class Connection {
 public:
  static std::expected<Connection, Error> open(Bus bus);

  Connection(Connection&&) noexcept;
  Connection& operator=(Connection&&) noexcept;
  ~Connection();

  // Calls `method` and reads the reply into `Out...`. Arguments are any sdbus-c++ serialisable values.
  template <typename... Out, typename... In>
  std::expected<std::tuple<Out...>, Error> call(const Target& target, std::string_view interface,
                                                std::string_view method, std::chrono::milliseconds timeout,
                                                const In&... in) {
    return call_with<Out...>(Authorisation::NotInteractive, target, interface, method, timeout, in...);
  }

  // The same for a call the service may let the user authorise first (a password prompt of the
  // system's authorisation agent); the time limit should leave room for the user to answer.
  template <typename... Out, typename... In>
  std::expected<std::tuple<Out...>, Error> call_authorised(const Target& target, std::string_view interface,
                                                           std::string_view method, std::chrono::milliseconds timeout,
                                                           const In&... in) {
    return call_with<Out...>(Authorisation::Interactive, target, interface, method, timeout, in...);
  }


  std::expected<sdbus::Variant, Error> property(const Target& target, std::string_view interface,
                                                std::string_view name,
                                                std::chrono::milliseconds timeout = kDefaultTimeout);
  std::expected<Properties, Error> all_properties(const Target& target, std::string_view interface,
                                                  std::chrono::milliseconds timeout = kDefaultTimeout);
  std::expected<void, Error> set_property(const Target& target, std::string_view interface, std::string_view name,
                                          const sdbus::Variant& value,
                                          std::chrono::milliseconds timeout = kDefaultTimeout);
  // Watches for signal `member` of `interface` sent from object `path` (any sender).
  std::expected<SignalWatch, Error> watch_signal(std::string_view path, std::string_view interface,
                                                 std::string_view member, SignalWatch::Reader reader);
  // The unique name of this connection on the bus (":1.42").
  std::expected<std::string, Error> unique_name();

  // org.freedesktop.DBus.ObjectManager.GetManagedObjects on `target`.
  std::expected<ManagedObjects, Error> managed_objects(const Target& target,
                                                       std::chrono::milliseconds timeout = kDefaultTimeout);

 private:
  enum class Authorisation { NotInteractive, Interactive };

  template <typename... Out, typename... In>
  std::expected<std::tuple<Out...>, Error> call_with(Authorisation authorisation, const Target& target,
                                                     std::string_view interface, std::string_view method,
                                                     std::chrono::milliseconds timeout, const In&... in) {
    try {
      auto proxy = sdbus::createProxy(*connection_, target.service, target.path);
      auto message = proxy->createMethodCall(std::string(interface), std::string(method));
      if (authorisation == Authorisation::Interactive) allow_interactive_authorisation(message);
      ((message << in), ...);
      auto reply = proxy->callMethod(message, to_microseconds(timeout));
      std::tuple<Out...> out;
      std::apply([&reply](auto&... value) { ((reply >> value), ...); }, out);
      return out;
    } catch (const sdbus::Error& e) {
      return std::unexpected(from_sdbus(e));
    } catch (const std::exception& e) {
      return std::unexpected(local_error(e.what()));
    }
  }

  // Sets the message's ALLOW_INTERACTIVE_AUTHORIZATION flag; throws sdbus::Error when it cannot.
  static void allow_interactive_authorisation(sdbus::MethodCall& message);

  explicit Connection(std::unique_ptr<sdbus::IConnection> connection);
  static std::uint64_t to_microseconds(std::chrono::milliseconds timeout);
  static Error from_sdbus(const sdbus::Error& error);
  static Error local_error(std::string message);

  std::unique_ptr<sdbus::IConnection> connection_;
};

// Reads a value of type T from a property map; nullopt when it is absent or of another type.
template <typename T>
std::optional<T> get(const Properties& properties, const std::string& name) {
  const auto it = properties.find(name);
  if (it == properties.end() || !it->second.containsValueOfType<T>()) return std::nullopt;
  try {
    return it->second.get<T>();
  } catch (const sdbus::Error&) {
    return std::nullopt;
  }
}

// The same for a single variant.
template <typename T>
std::optional<T> get(const sdbus::Variant& value) {
  if (!value.containsValueOfType<T>()) return std::nullopt;
  try {
    return value.get<T>();
  } catch (const sdbus::Error&) {
    return std::nullopt;
  }
}

}  // namespace orvo_dbus
