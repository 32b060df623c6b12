#include "account_probe/propfind.h"

#include <fmt/format.h>

namespace settings::account_probe {

std::string_view depth_header_value(DavDepth depth) {
  switch (depth) {
    case DavDepth::Zero:
      return "0";
    case DavDepth::One:
      return "1";
    case DavDepth::Infinity:
      return "infinity";
  }
  return "0";
}

std::string namespace_prefix(NamespaceTable& table, const std::string& uri) {
  for (const auto& [known, prefix] : table) {
    if (known == uri) return prefix;
  }
  std::string prefix;
  if (uri == "DAV:") {
    prefix = "D";
  } else if (uri == "urn:ietf:params:xml:ns:caldav") {
    prefix = "C";
  } else if (uri == "urn:ietf:params:xml:ns:carddav") {
    prefix = "CR";
  } else {
    prefix = fmt::format("x{}", table.size());
  }
  table.emplace_back(uri, prefix);
  return prefix;
}

NamespaceTable propfind_namespaces(const std::vector<PropfindProperty>& properties,
                                   const std::optional<std::string>& extra_namespace) {
  NamespaceTable table;
  namespace_prefix(table, "DAV:");
  if (extra_namespace) namespace_prefix(table, *extra_namespace);
  for (const auto& property : properties) namespace_prefix(table, property.namespace_uri);
  return table;
}

std::string propfind_body(const std::vector<PropfindProperty>& properties,
                          const std::optional<std::string>& extra_namespace) {
  NamespaceTable table = propfind_namespaces(properties, extra_namespace);
  std::string props = "<D:prop>";
  for (const auto& property : properties) {
    props += fmt::format("<{}:{}/>", namespace_prefix(table, property.namespace_uri), property.name);
  }
  props += "</D:prop>";
  std::string body = R"(<?xml version="1.0" encoding="utf-8"?><D:propfind)";
  for (const auto& [uri, prefix] : table) body += fmt::format(R"( xmlns:{}="{}")", prefix, xml_escape(uri));
  body += ">";
  body += props;
  body += "</D:propfind>";
  return body;
}

std::string xml_escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '"':
        out += "&quot;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '\'':
        out += "&apos;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace settings::account_probe
