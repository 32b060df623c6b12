#include "desktop_policy/resource_kind.h"

#include <algorithm>
#include <array>
#include <utility>

namespace desktop_policy::defaults {
namespace {

constexpr std::size_t kMaxPartBytes = 127;

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
bool is_alpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::string lowered(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), lower);
  return out;
}

// A restricted name of RFC 6838: a letter or digit, then letters, digits and ! # $ & - ^ _ . +
bool is_mime_part(std::string_view part) {
  if (part.empty() || part.size() > kMaxPartBytes) return false;
  if (!is_alpha(part.front()) && !is_digit(part.front())) return false;
  return std::all_of(part.begin(), part.end(), [](char c) {
    return is_alpha(c) || is_digit(c) || std::string_view("!#$&-^_.+").find(c) != std::string_view::npos;
  });
}

struct KnownLabel {
  std::string_view kind;
  std::string_view label;
};

constexpr std::array kKnownLabels{
    KnownLabel{"mime:text/html", "Web pages"},
    KnownLabel{"mime:application/xhtml+xml", "Web pages (XHTML)"},
    KnownLabel{"mime:application/pdf", "PDF documents"},
    KnownLabel{"mime:text/plain", "Plain text"},
    KnownLabel{"mime:inode/directory", "Folders"},
    KnownLabel{"mime:text/calendar", "Calendar files"},
    KnownLabel{"mime:text/vcard", "Contact cards"},
    KnownLabel{"mime:message/rfc822", "Email messages"},
    KnownLabel{"scheme:http", "Web links (http)"},
    KnownLabel{"scheme:https", "Web links (https)"},
    KnownLabel{"scheme:mailto", "Email links"},
    KnownLabel{"scheme:tel", "Phone links"},
    KnownLabel{"mime:text/markdown", "Markdown documents"},
    KnownLabel{"mime:text/csv", "CSV spreadsheets"},
    KnownLabel{"mime:text/x-csrc", "C source files"},
    KnownLabel{"mime:text/x-chdr", "C header files"},
    KnownLabel{"mime:text/x-c++src", "C++ source files"},
    KnownLabel{"mime:text/x-c++hdr", "C++ header files"},
    KnownLabel{"mime:text/x-python", "Python scripts"},
    KnownLabel{"mime:application/x-shellscript", "Shell scripts"},
    KnownLabel{"mime:application/json", "JSON files"},
    KnownLabel{"mime:application/xml", "XML files"},
    KnownLabel{"mime:application/zip", "ZIP archives"},
    KnownLabel{"mime:application/x-tar", "Tar archives"},
    KnownLabel{"mime:application/gzip", "Gzip archives"},
    KnownLabel{"mime:image/svg+xml", "SVG images"},
};

// The readable part of a MIME subtype or a scheme: without "x-" or "vnd." and any "+suffix", in
// capitals when it is a short abbreviation ("png" gives "PNG"), else capitalised ("x-matroska" gives
// "Matroska").
std::string readable_name(std::string_view name) {
  for (std::string_view prefix : {"x-", "vnd."}) {
    if (name.starts_with(prefix) && name.size() > prefix.size()) name.remove_prefix(prefix.size());
  }
  if (const auto plus = name.find('+'); plus != std::string_view::npos && plus > 0) name = name.substr(0, plus);
  std::string out(name);
  const bool abbreviation = out.size() <= 4 && std::all_of(out.begin(), out.end(), [](char c) {
    return is_alpha(c) || is_digit(c);
  });
  const auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
  if (abbreviation) {
    std::transform(out.begin(), out.end(), out.begin(), upper);
  } else if (!out.empty()) {
    out[0] = upper(out[0]);
  }
  return out;
}

std::string mime_label(std::string_view mime_type) {
  const auto slash = mime_type.find('/');
  const std::string_view top = mime_type.substr(0, slash);
  const std::string name = readable_name(mime_type.substr(slash + 1));
  if (top == "image") return name + " images";
  if (top == "audio") return name + " audio";
  if (top == "video") return name + " videos";
  if (top == "font") return name + " fonts";
  if (top == "text") return name + " text files";
  return name + " files";
}

}  // namespace

std::optional<std::string> ResourceKind::extension(std::string_view extension) {
  if (extension.starts_with('.')) extension.remove_prefix(1);
  if (extension.empty() || extension.size() > kMaxPartBytes) return std::nullopt;
  const bool valid = std::all_of(extension.begin(), extension.end(), [](char c) {
    return is_alpha(c) || is_digit(c) || c == '-' || c == '_' || c == '+';
  });
  if (!valid) return std::nullopt;
  return "ext:" + lowered(extension);
}

std::optional<std::string> ResourceKind::mime(std::string_view mime_type) {
  const auto slash = mime_type.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  if (!is_mime_part(mime_type.substr(0, slash)) || !is_mime_part(mime_type.substr(slash + 1))) return std::nullopt;
  return "mime:" + lowered(mime_type);
}

std::optional<std::string> ResourceKind::scheme(std::string_view scheme) {
  // RFC 3986: a letter, then letters, digits, "+", "-" and ".".
  if (scheme.empty() || scheme.size() > kMaxPartBytes || !is_alpha(scheme.front())) return std::nullopt;
  const bool valid = std::all_of(scheme.begin(), scheme.end(), [](char c) {
    return is_alpha(c) || is_digit(c) || c == '+' || c == '-' || c == '.';
  });
  if (!valid) return std::nullopt;
  return "scheme:" + lowered(scheme);
}

std::string ResourceKind::display_label(std::string_view kind) {
  for (const auto& known : kKnownLabels) {
    if (known.kind == kind) return std::string(known.label);
  }
  if (kind.starts_with("mime:")) return mime_label(kind.substr(5));
  if (kind.starts_with("scheme:")) return readable_name(kind.substr(7)) + " links";
  if (kind.starts_with("ext:")) return "." + std::string(kind.substr(4)) + " files";
  return std::string(kind);
}

bool AppCandidate::handles_kind(std::string_view kind) const {
  return std::find(handles.begin(), handles.end(), kind) != handles.end();
}

}  // namespace desktop_policy::defaults
