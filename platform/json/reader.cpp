#include "orvo_json/reader.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <system_error>

#include "orvo_json/utf8.h"

namespace orvo_json {
namespace {

bool is_digit(int c) { return c >= '0' && c <= '9'; }

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void append_utf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string shortest(double value) {
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  std::string text(buf, end);
  if (text.find_first_of(".en") == std::string::npos) text += ".0";
  return text;
}

std::string quoted(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: out += c;
    }
  }
  return out + "\"";
}

}  // namespace

std::string Error::text() const {
  if (line == 0) return reason;
  return reason + " at line " + std::to_string(line) + " column " + std::to_string(column);
}

std::string describe_number(const Number& n) {
  switch (n.kind) {
    case Number::Kind::Unsigned: return "integer `" + std::to_string(n.u) + "`";
    case Number::Kind::Signed: return "integer `" + std::to_string(n.i) + "`";
    case Number::Kind::Float: break;
  }
  return "floating point `" + shortest(n.f) + "`";
}

std::string unknown_variant(std::string_view name, const std::string_view* names, std::size_t count) {
  std::string text = "unknown variant `" + std::string(name) + "`, ";
  if (count == 0) return text + "there are no variants";
  text += "expected ";
  if (count > 2) text += "one of ";
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) text += count == 2 ? " or " : ", ";
    text += "`" + std::string(names[i]) + "`";
  }
  return text;
}

std::string unknown_field(std::string_view name, const std::string_view* names, std::size_t count) {
  std::string text = "unknown field `" + std::string(name) + "`, ";
  if (count == 0) return text + "there are no fields";
  text += "expected ";
  if (count > 2) text += "one of ";
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) text += count == 2 ? " or " : ", ";
    text += "`" + std::string(names[i]) + "`";
  }
  return text;
}

void Reader::fail_at(std::size_t consumed, std::string reason) const {
  Error error{std::move(reason)};
  if (mode_ == Mode::Text) {
    error.line = 1;
    for (std::size_t i = 0; i < consumed && i < text_.size(); ++i) {
      if (text_[i] == '\n') {
        ++error.line;
        error.column = 0;
      } else {
        ++error.column;
      }
    }
  }
  throw DecodeFailure{std::move(error)};
}

void Reader::fail(std::string reason) const { fail_at(pos_, std::move(reason)); }

void Reader::fail_here(std::string reason) const {
  fail_at(std::min(pos_ + 1, text_.size()), std::move(reason));
}

int Reader::peek() {
  while (pos_ < text_.size()) {
    const char c = text_[pos_];
    if (c != ' ' && c != '\n' && c != '\t' && c != '\r') return static_cast<unsigned char>(c);
    ++pos_;
  }
  return -1;
}

void Reader::enter() {
  if (++depth_ > kMaxDepth) fail_here("recursion limit exceeded");
  ++pos_;
}

void Reader::begin_object() { enter(); }
void Reader::begin_array() { enter(); }

bool Reader::next_key(bool& first, std::string& scratch, std::string_view& key) {
  int c = peek();
  if (c == '}') {
    ++pos_;
    --depth_;
    return false;
  }
  if (!first) {
    if (c == -1) fail_here("EOF while parsing an object");
    if (c != ',') fail_here("expected `,` or `}`");
    ++pos_;
    c = peek();
    if (c == '}') fail_here("trailing comma");
  }
  if (c == -1) fail_here("EOF while parsing an object");
  if (c != '"') fail_here("key must be a string");
  key = read_string(scratch);
  c = peek();
  if (c == -1) fail_here("EOF while parsing an object");
  if (c != ':') fail_here("expected `:`");
  ++pos_;
  first = false;
  return true;
}

bool Reader::next_element(bool& first) {
  int c = peek();
  if (c == ']') {
    ++pos_;
    --depth_;
    return false;
  }
  if (!first) {
    if (c == -1) fail_here("EOF while parsing a list");
    if (c != ',') fail_here("expected `,` or `]`");
    ++pos_;
    c = peek();
    if (c == ']') fail_here("trailing comma");
  }
  if (c == -1) fail_here("EOF while parsing a list");
  first = false;
  return true;
}

void Reader::end_array(std::size_t read) {
  bool first = read == 0;
  const int c = peek();
  if (c == ']') {
    ++pos_;
    --depth_;
    return;
  }
  if (c == -1) fail_here("EOF while parsing a list");
  if (!first && c != ',') fail_here("expected `,` or `]`");
  if (mode_ == Mode::Text) {
    if (!first) ++pos_;
    fail_here("trailing characters");
  }
  std::size_t total = read;
  while (next_element(first)) {
    skip_value();
    ++total;
  }
  fail("invalid length " + std::to_string(total) + ", expected fewer elements in array");
}

void Reader::expect_literal(std::string_view word) {
  for (char expected : word) {
    if (pos_ >= text_.size()) fail("EOF while parsing a value");
    if (text_[pos_++] != expected) fail("expected ident");
  }
}

void Reader::read_null() { expect_literal("null"); }

bool Reader::read_bool() {
  if (peek() == 't') {
    expect_literal("true");
    return true;
  }
  expect_literal("false");
  return false;
}

Number Reader::read_number() {
  peek();
  const std::size_t start = pos_;
  const bool negative = pos_ < text_.size() && text_[pos_] == '-';
  if (negative) ++pos_;
  const auto at = [&](std::size_t i) { return i < text_.size() ? static_cast<unsigned char>(text_[i]) : -1; };
  if (pos_ >= text_.size()) fail("EOF while parsing a value");
  if (!is_digit(at(pos_))) fail_here("invalid number");

  std::uint64_t magnitude = 0;
  bool overflow = false;
  std::size_t int_digits = 0;  // significant digits before the point
  if (at(pos_) == '0') {
    ++pos_;
    if (is_digit(at(pos_))) fail_here("invalid number");
  } else {
    while (is_digit(at(pos_))) {
      const unsigned digit = at(pos_) - '0';
      if (magnitude > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) overflow = true;
      if (!overflow) magnitude = magnitude * 10 + digit;
      ++int_digits;
      ++pos_;
    }
  }
  bool is_float = overflow;
  long frac_zeros = 0;  // zeros after the point before the first significant digit
  if (at(pos_) == '.') {
    is_float = true;
    ++pos_;
    if (!is_digit(at(pos_))) fail_here("invalid number");
    bool significant = false;
    while (is_digit(at(pos_))) {
      if (at(pos_) != '0') significant = true;
      if (!significant) ++frac_zeros;
      ++pos_;
    }
  }
  long exponent = 0;
  if (at(pos_) == 'e' || at(pos_) == 'E') {
    is_float = true;
    ++pos_;
    bool exp_negative = false;
    if (at(pos_) == '+' || at(pos_) == '-') exp_negative = text_[pos_++] == '-';
    if (!is_digit(at(pos_))) fail_here("invalid number");
    while (is_digit(at(pos_))) {
      if (exponent < 100000) exponent = exponent * 10 + (at(pos_) - '0');
      ++pos_;
    }
    if (exp_negative) exponent = -exponent;
  }

  Number n;
  if (!is_float) {
    if (!negative) {
      n.kind = Number::Kind::Unsigned;
      n.u = magnitude;
      return n;
    }
    constexpr std::uint64_t kMinMagnitude = std::uint64_t{1} << 63;
    if (magnitude != 0 && magnitude <= kMinMagnitude) {
      n.kind = Number::Kind::Signed;
      n.i = magnitude == kMinMagnitude ? std::numeric_limits<std::int64_t>::min()
                                       : -static_cast<std::int64_t>(magnitude);
      return n;
    }
  }
  n.kind = Number::Kind::Float;
  const char* first = text_.data() + start + (negative ? 1 : 0);
  const char* last = text_.data() + pos_;
  auto [ptr, ec] = std::from_chars(first, last, n.f);
  if (ec == std::errc::result_out_of_range) {
    const long scale = (int_digits > 0 ? static_cast<long>(int_digits) : -frac_zeros) + exponent;
    if (scale > 0) fail("number out of range");
    n.f = 0;
  } else if (ec != std::errc() || ptr != last) {
    fail("invalid number");
  }
  if (negative) n.f = -n.f;
  return n;
}

void Reader::parse_escape(std::string& out) {
  if (pos_ >= text_.size()) fail("EOF while parsing a string");
  const char c = text_[pos_++];
  switch (c) {
    case '"': out += '"'; return;
    case '\\': out += '\\'; return;
    case '/': out += '/'; return;
    case 'b': out += '\b'; return;
    case 'f': out += '\f'; return;
    case 'n': out += '\n'; return;
    case 'r': out += '\r'; return;
    case 't': out += '\t'; return;
    case 'u': break;
    default: fail("invalid escape");
  }
  const auto hex4 = [&]() -> std::uint32_t {
    if (pos_ + 4 > text_.size()) {
      pos_ = text_.size();
      fail("EOF while parsing a string");
    }
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
      const int h = hex_value(text_[pos_++]);
      if (h < 0) fail("invalid escape");
      v = v * 16 + static_cast<std::uint32_t>(h);
    }
    return v;
  };
  std::uint32_t cp = hex4();
  if (cp >= 0xDC00 && cp <= 0xDFFF) fail("lone leading surrogate in hex escape");
  if (cp >= 0xD800 && cp <= 0xDBFF) {
    if (pos_ + 2 > text_.size() || text_[pos_] != '\\' || text_[pos_ + 1] != 'u') {
      fail("unexpected end of hex escape");
    }
    pos_ += 2;
    const std::uint32_t low = hex4();
    if (low < 0xDC00 || low > 0xDFFF) fail("lone leading surrogate in hex escape");
    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
  }
  append_utf8(out, cp);
}

std::string_view Reader::read_string(std::string& scratch) {
  peek();
  ++pos_;  // the opening quote
  const std::size_t start = pos_;
  bool escaped = false;
  while (true) {
    if (pos_ >= text_.size()) fail("EOF while parsing a string");
    const auto c = static_cast<unsigned char>(text_[pos_]);
    if (c == '"') {
      ++pos_;
      if (!escaped) return text_.substr(start, pos_ - 1 - start);
      return scratch;
    }
    if (c == '\\') {
      if (!escaped) {
        scratch.assign(text_.substr(start, pos_ - start));
        escaped = true;
      }
      ++pos_;
      parse_escape(scratch);
      continue;
    }
    if (c < 0x20) {
      ++pos_;
      fail("control character (\\u0000-\\u001F) found while parsing a string");
    }
    std::size_t len = 1;
    if (c >= 0x80) {
      len = utf8::sequence_length(text_.substr(pos_));
      if (len == 0) {
        ++pos_;
        fail("invalid unicode code point");
      }
    }
    if (escaped) scratch.append(text_.substr(pos_, len));
    pos_ += len;
  }
}

void Reader::skip_value() {
  std::string scratch;
  std::string_view key;
  bool first = true;
  switch (peek()) {
    case '{':
      begin_object();
      while (next_key(first, scratch, key)) skip_value();
      return;
    case '[':
      begin_array();
      while (next_element(first)) skip_value();
      return;
    case '"': read_string(scratch); return;
    case 't':
    case 'f': read_bool(); return;
    case 'n': read_null(); return;
    case -1: fail_here("EOF while parsing a value");
    default:
      if (peek() == '-' || is_digit(peek())) {
        read_number();
        return;
      }
      fail_here("expected value");
  }
}

std::string_view Reader::read_raw_value() {
  peek();
  const std::size_t start = pos_;
  skip_value();
  return text_.substr(start, pos_ - start);
}

void Reader::finish() {
  if (peek() != -1) fail_here("trailing characters");
}

std::string Reader::describe_next() {
  std::string scratch;
  const int c = peek();
  switch (c) {
    case 'n': read_null(); return "null";
    case 't':
    case 'f': return read_bool() ? "boolean `true`" : "boolean `false`";
    case '"': return "string " + quoted(read_string(scratch));
    case '[': return "sequence";
    case '{': return "map";
    case -1: fail_here("EOF while parsing a value");
    default:
      if (c == '-' || is_digit(c)) return describe_number(read_number());
      fail_here("expected value");
  }
}

void Reader::invalid_type(std::string_view expected) {
  std::string unexpected = describe_next();
  fail("invalid type: " + unexpected + ", expected " + std::string(expected));
}

void Reader::invalid_value(const Number& n, std::string_view expected) const {
  fail("invalid value: " + describe_number(n) + ", expected " + std::string(expected));
}

void Reader::invalid_length(std::size_t read, std::string_view expected) const {
  fail("invalid length " + std::to_string(read) + ", expected " + std::string(expected));
}

}  // namespace orvo_json
