#include "orvo_relay/protocol.h"

#include <nlohmann/json.hpp>

#include "orvo_identity/keys.h"
#include "orvo_runtime/capped_read.h"

namespace orvo_relay_protocol {

std::expected<WorkspaceId, std::string> room_workspace_id(std::string_view room) {
  if (room.empty()) return std::unexpected("room id is empty");
  const auto digest = orvo_user_identity::sha256(
      std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(room.data()), room.size()));
  WorkspaceId id = 0;
  for (std::size_t i = 0; i < 8; ++i) id = (id << 8) | digest[i];
  return id;
}

namespace metrics {

std::expected<RelayMetrics, std::string> load_metrics(const std::filesystem::path& state_dir) {
  const auto path = state_dir / "metrics.json";
  auto text = orvo_runtime::read_capped(path, 1 << 20);
  if (!text) return std::unexpected("could not read " + path.string() + ": " + text.error().text);
  const auto value = nlohmann::ordered_json::parse(*text, nullptr, false);
  if (!value.is_object()) return std::unexpected(path.string() + " is not a JSON object");
  return RelayMetrics{std::move(*text)};
}

}  // namespace metrics

namespace home_peer {
namespace {

// The code point starting at `i`, advancing `i`; none for a malformed sequence.
std::optional<char32_t> next_code_point(std::string_view s, std::size_t& i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char lead = byte(i);
  std::size_t length = 0;
  char32_t cp = 0;
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  if (lead >= 0xc2 && lead <= 0xdf) {
    length = 2;
    cp = lead & 0x1f;
  } else if (lead >= 0xe0 && lead <= 0xef) {
    length = 3;
    cp = lead & 0x0f;
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    length = 4;
    cp = lead & 0x07;
  } else {
    return std::nullopt;
  }
  if (i + length > s.size()) return std::nullopt;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xc0) != 0x80) return std::nullopt;
    cp = (cp << 6) | (byte(i + k) & 0x3f);
  }
  const char32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < minimum[length] || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff)) return std::nullopt;
  i += length;
  return cp;
}

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

bool valid_home_peer_label(std::string_view label) {
  while (!label.empty() && is_space(label.front())) label.remove_prefix(1);
  while (!label.empty() && is_space(label.back())) label.remove_suffix(1);
  std::size_t count = 0;
  for (std::size_t i = 0; i < label.size();) {
    const auto cp = next_code_point(label, i);
    if (!cp || *cp < 0x20 || (*cp >= 0x7f && *cp <= 0x9f)) return false;
    ++count;
  }
  return count >= 1 && count <= 64;
}

}  // namespace home_peer
}  // namespace orvo_relay_protocol
