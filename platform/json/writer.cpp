#include "orvo_json/writer.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace orvo_json {
namespace {

constexpr char kHex[] = "0123456789abcdef";

template <class F>
void append_float(std::string& out, F value) {
  if (!std::isfinite(value)) {
    out += "null";
    return;
  }
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  const std::string_view text(buf, static_cast<std::size_t>(end - buf));
  out += text;
  if (text.find_first_of(".e") == std::string_view::npos) out += ".0";
}

}  // namespace

void Writer::separate() {
  if (comma_) out_ += ',';
  comma_ = true;
}

void Writer::null() {
  separate();
  out_ += "null";
}

void Writer::boolean(bool value) {
  separate();
  out_ += value ? "true" : "false";
}

void Writer::unsigned_integer(std::uint64_t value) {
  separate();
  char buf[24];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  out_.append(buf, end);
}

void Writer::signed_integer(std::int64_t value) {
  separate();
  char buf[24];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  out_.append(buf, end);
}

void Writer::float64(double value) {
  separate();
  append_float(out_, value);
}

void Writer::float32(float value) {
  separate();
  append_float(out_, value);
}

void Writer::string(std::string_view value) {
  separate();
  out_ += '"';
  std::size_t run = 0;  // start of the stretch that needs no escape
  for (std::size_t i = 0; i < value.size(); ++i) {
    const auto c = static_cast<unsigned char>(value[i]);
    if (c >= 0x20 && c != '"' && c != '\\') continue;
    out_.append(value.substr(run, i - run));
    run = i + 1;
    switch (c) {
      case '"': out_ += "\\\""; break;
      case '\\': out_ += "\\\\"; break;
      case '\b': out_ += "\\b"; break;
      case '\f': out_ += "\\f"; break;
      case '\n': out_ += "\\n"; break;
      case '\r': out_ += "\\r"; break;
      case '\t': out_ += "\\t"; break;
      default:
        out_ += "\\u00";
        out_ += kHex[c >> 4];
        out_ += kHex[c & 0xF];
    }
  }
  out_.append(value.substr(run));
  out_ += '"';
}

void Writer::raw(std::string_view json_text) {
  separate();
  out_ += json_text;
}

void Writer::begin_object() {
  separate();
  out_ += '{';
  comma_ = false;
}

void Writer::key(std::string_view name) {
  string(name);
  out_ += ':';
  comma_ = false;
}

void Writer::end_object() {
  out_ += '}';
  comma_ = true;
}

void Writer::begin_array() {
  separate();
  out_ += '[';
  comma_ = false;
}

void Writer::end_array() {
  out_ += ']';
  comma_ = true;
}

}  // namespace orvo_json
