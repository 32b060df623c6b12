#pragma once
// The body of a WebDAV PROPFIND request: the properties asked for, each in its namespace, with the
// usual prefixes (D for DAV:, C for CalDAV, CR for CardDAV, x<n> for any other namespace).
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace settings::account_probe {

enum class DavDepth { Zero, One, Infinity };
// The "Depth" header value: "0", "1" or "infinity".
std::string_view depth_header_value(DavDepth depth);

struct PropfindProperty {
  std::string namespace_uri;
  std::string name;
};

// Namespace URI and prefix, in the order the namespaces were registered.
using NamespaceTable = std::vector<std::pair<std::string, std::string>>;

// The prefix of the URI, registering it first when the table does not hold it yet.
std::string namespace_prefix(NamespaceTable& table, const std::string& uri);
// DAV:, then the extra namespace when given, then the namespace of each property.
NamespaceTable propfind_namespaces(const std::vector<PropfindProperty>& properties,
                                   const std::optional<std::string>& extra_namespace = std::nullopt);
std::string propfind_body(const std::vector<PropfindProperty>& properties,
                          const std::optional<std::string>& extra_namespace = std::nullopt);
// Each of " & ' < > replaced by its entity; everything else copied unchanged.
std::string xml_escape(std::string_view text);

}  // namespace settings::account_probe
