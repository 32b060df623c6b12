#include "orvo_actions/address.h"

namespace orvo_actions {
namespace {

void escape_into(std::string& out, std::string_view part) {
  for (char c : part) {
    if (c == '%') {
      out += "%25";
    } else if (c == '#') {
      out += "%23";
    } else {
      out += c;
    }
  }
}

std::optional<std::string> unescape(std::string_view part) {
  std::string out;
  out.reserve(part.size());
  for (std::size_t i = 0; i < part.size(); ++i) {
    if (part[i] != '%') {
      out += part[i];
      continue;
    }
    std::string_view code = part.substr(i, 3);
    if (code == "%25") {
      out += '%';
    } else if (code == "%23") {
      out += '#';
    } else {
      return std::nullopt;
    }
    i += 2;
  }
  return out;
}

}  // namespace

std::string ActionAddress::encode() const {
  std::string out;
  out.reserve(resource.size() + action.size() + 1);
  escape_into(out, resource);
  out += '#';
  escape_into(out, action);
  return out;
}

std::optional<ActionAddress> ActionAddress::decode(std::string_view text) {
  auto hash = text.find('#');
  if (hash == std::string_view::npos || text.find('#', hash + 1) != std::string_view::npos) return std::nullopt;
  auto resource = unescape(text.substr(0, hash));
  auto action = unescape(text.substr(hash + 1));
  if (!resource || !action) return std::nullopt;
  return ActionAddress{std::move(*resource), std::move(*action)};
}

}  // namespace orvo_actions
