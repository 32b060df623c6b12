#include "settings_store/json_document.h"

#include <nlohmann/json.hpp>

#include "orvo_json/writer.h"

namespace settings_store::json_document {
namespace {

using Json = nlohmann::ordered_json;

void indent(std::string& out, int depth) { out.append(static_cast<std::size_t>(depth) * 2, ' '); }

// Scalars go through the strict layer's writer, so the file and the payloads spell numbers and
// strings alike.
void write_pretty(std::string& out, const Json& value, int depth) {
  switch (value.type()) {
    case Json::value_t::object: {
      if (value.empty()) {
        out += "{}";
        return;
      }
      out += "{\n";
      bool first = true;
      for (const auto& [key, member] : value.items()) {
        if (!first) out += ",\n";
        first = false;
        indent(out, depth + 1);
        orvo_json::Writer(out).string(key);
        out += ": ";
        write_pretty(out, member, depth + 1);
      }
      out += '\n';
      indent(out, depth);
      out += '}';
      return;
    }
    case Json::value_t::array: {
      if (value.empty()) {
        out += "[]";
        return;
      }
      out += "[\n";
      bool first = true;
      for (const auto& element : value) {
        if (!first) out += ",\n";
        first = false;
        indent(out, depth + 1);
        write_pretty(out, element, depth + 1);
      }
      out += '\n';
      indent(out, depth);
      out += ']';
      return;
    }
    case Json::value_t::string: orvo_json::Writer(out).string(value.get_ref<const std::string&>()); return;
    case Json::value_t::boolean: orvo_json::Writer(out).boolean(value.get<bool>()); return;
    case Json::value_t::number_integer: orvo_json::Writer(out).signed_integer(value.get<std::int64_t>()); return;
    case Json::value_t::number_unsigned: orvo_json::Writer(out).unsigned_integer(value.get<std::uint64_t>()); return;
    case Json::value_t::number_float: orvo_json::Writer(out).float64(value.get<double>()); return;
    case Json::value_t::null:
    case Json::value_t::binary:
    case Json::value_t::discarded: out += "null"; return;
  }
}

}  // namespace

std::optional<Json> parse(std::string_view text) {
  // The parser takes a NUL byte for the end of the text; JSON text never holds one.
  if (text.find('\0') != std::string_view::npos) return std::nullopt;
  bool too_deep = false;
  // The callback sees the depth of the container being opened (0 for the top level).
  const Json::parser_callback_t watch_depth = [&too_deep](int depth, Json::parse_event_t event, Json&) {
    if ((event == Json::parse_event_t::object_start || event == Json::parse_event_t::array_start) &&
        depth >= kMaxNesting) {
      too_deep = true;
    }
    return true;
  };
  Json value = Json::parse(text.begin(), text.end(), watch_depth, /*allow_exceptions=*/false);
  if (value.is_discarded() || too_deep) return std::nullopt;
  return value;
}

std::string pretty(const Json& value) {
  std::string out;
  write_pretty(out, value, 0);
  return out;
}

}  // namespace settings_store::json_document
