#pragma once
// The desktop portal on the session bus: choosing a file and opening an address in the user's
// browser, through the desktop's own dialogs. Every call has a time limit; a missing bus or portal
// answers at once.
#include <chrono>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace runtime_portal_xdg {

struct PortalError {
  std::string text;
  const std::string& display() const { return text; }
};

struct ChosenFile {
  std::string uri;
  std::optional<std::string> path;  // the local path of a file:// address, percent-decoded
};

class FileChooser {
 public:
  // A person chooses: the default limit is long.
  static constexpr std::chrono::milliseconds kDefaultTimeout{std::chrono::minutes(10)};

  // The chosen files; empty when the dialog was cancelled.
  static std::expected<std::vector<ChosenFile>, PortalError> open(std::string_view title,
                                                                  std::chrono::milliseconds timeout = kDefaultTimeout);
};

class OpenUri {
 public:
  // Hands the address to the portal, which asks the desktop to open it; success means the portal
  // took the request.
  static std::expected<void, PortalError> open(std::string_view uri);
};

// "file:///a%20b" to "/a b"; none for other schemes, for another host and for bad escapes.
std::optional<std::string> local_path(std::string_view uri);

}  // namespace runtime_portal_xdg
