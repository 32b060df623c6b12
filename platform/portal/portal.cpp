#include "orvo_portal/portal.h"

#include <atomic>
#include <random>

#include <fmt/format.h>

#include "orvo_dbus/connection.h"

namespace runtime_portal_xdg {
namespace {

using orvo_dbus::Target;

constexpr const char* kService = "org.freedesktop.portal.Desktop";
constexpr const char* kPath = "/org/freedesktop/portal/desktop";
constexpr const char* kFileChooser = "org.freedesktop.portal.FileChooser";
constexpr const char* kOpenUri = "org.freedesktop.portal.OpenURI";
constexpr const char* kRequest = "org.freedesktop.portal.Request";
const Target kPortal{kService, kPath};

PortalError describe(const orvo_dbus::Error& error) {
  if (error.service_missing()) return PortalError{"the desktop portal is not running"};
  if (error.name == "org.freedesktop.DBus.Error.Timeout" || error.name == "org.freedesktop.DBus.Error.NoReply") {
    return PortalError{"the desktop portal did not answer in time"};
  }
  return PortalError{error.text()};
}

// A token unique to this request, so that its answer is told apart from others'.
std::string new_token() {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  return fmt::format("orvo_{}_{}", random(), counter.fetch_add(1));
}

// Where the portal puts the request object: the caller's unique name without ":" and with "." as "_".
std::string request_path(std::string unique_name, const std::string& token) {
  if (unique_name.starts_with(':')) unique_name.erase(0, 1);
  for (char& c : unique_name) {
    if (c == '.') c = '_';
  }
  return fmt::format("{}/request/{}/{}", kPath, unique_name, token);
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::string> local_path(std::string_view uri) {
  constexpr std::string_view kScheme = "file://";
  if (!uri.starts_with(kScheme)) return std::nullopt;
  uri.remove_prefix(kScheme.size());
  if (uri.starts_with("localhost/")) uri.remove_prefix(std::string_view("localhost").size());
  if (!uri.starts_with('/')) return std::nullopt;
  std::string path;
  for (std::size_t i = 0; i < uri.size(); ++i) {
    // A path never holds a NUL byte, written out or escaped: a program handed one would see a
    // shorter path than the one shown.
    if (uri[i] == '\0') return std::nullopt;
    if (uri[i] != '%') {
      path += uri[i];
      continue;
    }
    if (i + 2 >= uri.size()) return std::nullopt;
    const int high = hex_value(uri[i + 1]);
    const int low = hex_value(uri[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    const char decoded = static_cast<char>(high * 16 + low);
    if (decoded == '\0') return std::nullopt;
    path += decoded;
    i += 2;
  }
  return path;
}

std::expected<std::vector<ChosenFile>, PortalError> FileChooser::open(std::string_view title,
                                                                     std::chrono::milliseconds timeout) {
  auto bus = orvo_dbus::Connection::open(orvo_dbus::Bus::Session);
  if (!bus) return std::unexpected(PortalError{bus.error().text()});
  auto name = bus->unique_name();
  if (!name) return std::unexpected(describe(name.error()));
  const std::string token = new_token();
  const std::string expected_path = request_path(*name, token);
  std::uint32_t response = 2;
  orvo_dbus::Properties results;
  bool readable = false;
  const auto read = [&](sdbus::Message& message) {
    message >> response >> results;
    readable = true;
  };
  // Watched before the call: the answer may come before the call's own reply.
  auto watch = bus->watch_signal(expected_path, kRequest, "Response", read);
  if (!watch) return std::unexpected(describe(watch.error()));

  const orvo_dbus::Properties options{{"handle_token", sdbus::Variant(token)}, {"modal", sdbus::Variant(true)}};
  auto reply = bus->call<sdbus::ObjectPath>(kPortal, kFileChooser, "OpenFile", orvo_dbus::kDefaultTimeout,
                                            std::string(), std::string(title), options);
  if (!reply) return std::unexpected(describe(reply.error()));
  const std::string handle = std::get<0>(*reply);
  if (handle != expected_path) {
    // An older portal chose its own path.
    auto other = bus->watch_signal(handle, kRequest, "Response", read);
    if (!other) return std::unexpected(describe(other.error()));
    watch = std::move(other);
  }

  auto answered = watch->wait(timeout);
  if (!answered) return std::unexpected(describe(answered.error()));
  if (!readable) return std::unexpected(PortalError{"the desktop portal sent an unreadable answer"});
  if (response == 1) return std::vector<ChosenFile>{};
  if (response != 0) return std::unexpected(PortalError{"the desktop portal could not show the file chooser"});
  std::vector<ChosenFile> chosen;
  for (auto& uri : orvo_dbus::get<std::vector<std::string>>(results, "uris").value_or(std::vector<std::string>{})) {
    chosen.push_back(ChosenFile{uri, local_path(uri)});
  }
  return chosen;
}

std::expected<void, PortalError> OpenUri::open(std::string_view uri) {
  auto bus = orvo_dbus::Connection::open(orvo_dbus::Bus::Session);
  if (!bus) return std::unexpected(PortalError{bus.error().text()});
  const orvo_dbus::Properties options{{"handle_token", sdbus::Variant(new_token())}};
  auto reply = bus->call<sdbus::ObjectPath>(kPortal, kOpenUri, "OpenURI", orvo_dbus::kDefaultTimeout, std::string(),
                                            std::string(uri), options);
  if (!reply) return std::unexpected(describe(reply.error()));
  return {};
}

}  // namespace runtime_portal_xdg
