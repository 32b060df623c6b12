#include "orvo_runtime/text.h"

#include <utility>

namespace orvo_runtime::text {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// One code point at the start of the text and its length in bytes; a byte that does not begin a
// well-formed sequence counts as one code point U+FFFD.
std::pair<char32_t, std::size_t> decode_front(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  const std::size_t length = lead < 0x80            ? 1
                             : (lead >> 5) == 0x6   ? 2
                             : (lead >> 4) == 0xE   ? 3
                             : (lead >> 3) == 0x1E  ? 4
                                                    : 0;
  if (length == 0 || length > text.size()) return {0xFFFD, 1};
  char32_t point = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return {0xFFFD, 1};
    point = (point << 6) | (byte(i) & 0x3F);
  }
  return {point, length};
}

// How many continuation bytes a lead byte wants and the range its first continuation must fall in
// (which rules out overlong forms, surrogates and values past U+10FFFF); none for a byte that
// cannot begin a sequence.
struct Lead {
  std::size_t continuations = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
};

bool lead_of(unsigned char b, Lead& lead) {
  if (b >= 0xC2 && b <= 0xDF) lead = {1, 0x80, 0xBF};
  else if (b == 0xE0) lead = {2, 0xA0, 0xBF};
  else if (b == 0xED) lead = {2, 0x80, 0x9F};
  else if (b >= 0xE1 && b <= 0xEF) lead = {2, 0x80, 0xBF};
  else if (b == 0xF0) lead = {3, 0x90, 0xBF};
  else if (b >= 0xF1 && b <= 0xF3) lead = {3, 0x80, 0xBF};
  else if (b == 0xF4) lead = {3, 0x80, 0x8F};
  else return false;
  return true;
}

}  // namespace

std::string decode_utf8_lossy(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      out.push_back(static_cast<char>(b));
      ++i;
      continue;
    }
    Lead lead;
    if (!lead_of(b, lead)) {
      out.append(kReplacement);
      ++i;
      continue;
    }
    std::size_t next = i + 1;
    std::size_t taken = 0;
    while (taken < lead.continuations && next < bytes.size()) {
      const auto c = static_cast<unsigned char>(bytes[next]);
      const unsigned char low = taken == 0 ? lead.low : 0x80;
      const unsigned char high = taken == 0 ? lead.high : 0xBF;
      if (c < low || c > high) break;
      ++next;
      ++taken;
    }
    if (taken == lead.continuations) {
      out.append(bytes.substr(i, next - i));
    } else {
      out.append(kReplacement);  // the maximal invalid subpart becomes one replacement
    }
    i = next;
  }
  return out;
}

bool is_unicode_whitespace(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

std::string drop_control_characters(std::string_view text, ControlFilter filter) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    const auto [point, length] = decode_front(text);
    const bool kept_layout = filter == ControlFilter::KeepTabAndLineFeed && (point == U'\t' || point == U'\n');
    if (!is_control_character(point) || kept_layout) out.append(text.substr(0, length));
    text.remove_prefix(length);
  }
  return out;
}

std::string_view first_characters(std::string_view text, std::size_t count) {
  std::size_t end = 0;
  for (std::size_t taken = 0; taken < count && end < text.size(); ++taken) {
    end += decode_front(text.substr(end)).second;
  }
  return text.substr(0, end);
}

std::string_view trim_ascii_whitespace(std::string_view text) {
  constexpr std::string_view kBlank = " \t\r\n\f\v";
  const auto first = text.find_first_not_of(kBlank);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlank) - first + 1);
}

std::string_view trim_unicode_whitespace(std::string_view text) {
  while (!text.empty()) {
    const auto [point, length] = decode_front(text);
    if (!is_unicode_whitespace(point)) break;
    text.remove_prefix(length);
  }
  while (!text.empty()) {
    std::size_t start = text.size() - 1;
    while (start > 0 && text.size() - start < 4 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
    const auto [point, length] = decode_front(text.substr(start));
    if (start + length != text.size() || !is_unicode_whitespace(point)) break;
    text.remove_suffix(length);
  }
  return text;
}

std::string clean_error_output(std::string_view bytes, std::size_t limit) {
  const std::string kept = drop_control_characters(decode_utf8_lossy(bytes), ControlFilter::KeepTabAndLineFeed);
  return std::string(trim_unicode_whitespace(first_characters(kept, limit)));
}

std::string command_detail_text(std::string_view bytes, std::string_view fallback, std::size_t limit) {
  const std::string decoded = decode_utf8_lossy(bytes);
  const std::string_view trimmed = trim_unicode_whitespace(decoded);
  if (trimmed.empty()) return std::string(fallback);
  return std::string(first_characters(drop_control_characters(trimmed, ControlFilter::DropAll), limit));
}

bool is_valid_utf8(std::string_view bytes) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const auto continuation = [&](std::size_t i) { return i < bytes.size() && (byte(i) & 0xC0) == 0x80; };
  std::size_t i = 0;
  while (i < bytes.size()) {
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    if (lead < 0x80) {
      length = 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = continuation(i + 1) ? 2 : 0;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      const bool overlong = lead == 0xE0 && i + 1 < bytes.size() && byte(i + 1) < 0xA0;
      const bool surrogate = lead == 0xED && i + 1 < bytes.size() && byte(i + 1) >= 0xA0;
      length = continuation(i + 1) && continuation(i + 2) && !overlong && !surrogate ? 3 : 0;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      const bool overlong = lead == 0xF0 && i + 1 < bytes.size() && byte(i + 1) < 0x90;
      const bool too_high = lead == 0xF4 && i + 1 < bytes.size() && byte(i + 1) >= 0x90;
      length = continuation(i + 1) && continuation(i + 2) && continuation(i + 3) && !overlong && !too_high ? 4 : 0;
    }
    if (length == 0) return false;
    i += length;
  }
  return true;
}

}  // namespace orvo_runtime::text
