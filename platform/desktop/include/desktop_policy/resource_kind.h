#pragma once
// The kinds of files and links an application can be the default for, and the installed
// applications that may be chosen.
//
// A kind is a text id: "mime:<type>/<subtype>", "scheme:<scheme>" or "ext:<extension>", always in
// lower case. The ":" after the family is part of the id.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace desktop_policy::defaults {

struct ResourceKind {
  // "ext:pdf" from "pdf" or ".pdf"; none when the extension is empty or holds anything but ASCII
  // letters, digits, "-", "_" and "+".
  static std::optional<std::string> extension(std::string_view extension);
  // "mime:text/html" from "text/html"; none unless it is a well-formed type/subtype. URL schemes
  // declared as "x-scheme-handler/<scheme>" are not MIME types: use `scheme` for them.
  static std::optional<std::string> mime(std::string_view mime_type);
  // "scheme:https" from "https"; none unless it is a well-formed URL scheme.
  static std::optional<std::string> scheme(std::string_view scheme);
  // What the user reads for a kind: "Web pages", "PDF documents", "mailto links", ...
  static std::string display_label(std::string_view kind);
};

// An installed application that can be chosen as a default.
struct AppCandidate {
  std::string id;
  std::string name;
  // The kinds it opens, sorted, without duplicates.
  std::vector<std::string> handles;

  bool handles_kind(std::string_view kind) const;

  bool operator==(const AppCandidate&) const = default;
};

}  // namespace desktop_policy::defaults
