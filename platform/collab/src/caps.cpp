#include "collab_types/caps.h"

namespace collab_types::caps {
namespace {

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<Uuid> Uuid::parse(std::string_view text) {
  const bool hyphenated = text.size() == 36;
  if (!hyphenated && text.size() != 32) return std::nullopt;
  Uuid out;
  std::size_t digit = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (hyphenated && (i == 8 || i == 13 || i == 18 || i == 23)) {
      if (text[i] != '-') return std::nullopt;
      continue;
    }
    const int value = hex_value(text[i]);
    if (value < 0) return std::nullopt;
    out.bytes[digit / 2] = static_cast<std::uint8_t>(out.bytes[digit / 2] | (digit % 2 == 0 ? value << 4 : value));
    ++digit;
  }
  return out;
}

std::string Uuid::text() const {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) out += '-';
    out += kDigits[bytes[i] >> 4];
    out += kDigits[bytes[i] & 0x0f];
  }
  return out;
}

std::expected<WorkspaceCapabilityDocument, std::string> decode_capability_document(std::string_view text) {
  auto document = orvo_json::decode<WorkspaceCapabilityDocument>(text);
  if (!document) return std::unexpected(document.error().text());
  return std::move(*document);
}

}  // namespace collab_types::caps
