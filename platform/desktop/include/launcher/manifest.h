#pragma once
// The manifest of a launcher package: "manifest.json" in the package's directory.
//
//   {
//     "app_id": "org.example.Chat",
//     "name": "Chat",
//     "entrypoints": [{"kind": "app", "gui_bin": "bin/chat"}, {"kind": "cli", "bin": "bin/chat-cli"}],
//     "file_extensions": ["chatlog"],
//     "mime_types": ["text/x-chatlog"],
//     "url_schemes": ["chat"]
//   }
//
// Read leniently: only the members above are looked at, each one that is missing or of another
// type counts as empty, and so do list items that are not non-empty texts. Only a file that cannot
// be read, is too large, or is not a JSON object is refused, and one whose "app_id" is not a
// well-formed id: the id ends up in file names and in lines of the desktop's configuration files.
#include <cstddef>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace launcher::manifest {

struct Entrypoint {
  // What the entry point is for: "app" for the application's window, "service" for a program the
  // desktop starts on its own, ...; empty when the manifest does not say.
  std::string kind;
  // The program that shows the entry point's window, relative to the package directory; none for
  // an entry point without a graphical interface.
  std::optional<std::string> gui_bin;

  bool operator==(const Entrypoint&) const = default;
};

struct Manifest {
  // The application id the package runs under; empty when the manifest gives none, and the
  // package id stands for it.
  std::string app_id;
  std::string name;
  std::vector<Entrypoint> entrypoints;
  // Extensions as written ("md" or ".md"), MIME types ("text/markdown") and URL schemes ("mailto")
  // the application opens.
  std::vector<std::string> file_extensions;
  std::vector<std::string> mime_types;
  std::vector<std::string> url_schemes;

  // Whether some entry point has a graphical program.
  bool has_gui() const;
  // The first entry point of `kind` that has a graphical program; none when there is none.
  const Entrypoint* gui_entrypoint(std::string_view kind) const;

  bool operator==(const Manifest&) const = default;
};

inline constexpr std::string_view kManifestFile = "manifest.json";
inline constexpr std::size_t kMaxIdBytes = 255;

// Whether `id` can name a package or an application: 1 to 255 bytes of ASCII letters, digits, "-",
// "." and "_", not beginning with ".".
bool is_well_formed_id(std::string_view id);
// A manifest larger than this is not read.
inline constexpr std::size_t kMaxManifestBytes = 256 * 1024;

// The manifest in a manifest file's text; an error (a lower-case phrase) when it is not a JSON
// object.
std::expected<Manifest, std::string> parse_manifest(std::string_view text);

// The manifest of the package in `package_dir`; an error when its manifest file is missing,
// unreadable, too large or malformed.
std::expected<Manifest, std::string> read_manifest(const std::filesystem::path& package_dir);

}  // namespace launcher::manifest
