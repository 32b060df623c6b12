#pragma once
// Reading the JSON document of "bootc status --format json". The reading is lenient: unknown
// members are ignored, and a member of another type than expected counts as absent. Text that is not
// a JSON document gives nothing.
#include <optional>
#include <string>
#include <string_view>

namespace settings::panes::updates {

// What is staged for the next boot: the staged entry's "version", else its image reference
// (image.image.image), else "Update staged for next boot". None when nothing is staged.
std::optional<std::string> staged_image(std::string_view status_document);

// The image a rollback would boot: the rollback entry's image reference, else its image version,
// else "the previous image". None when there is no rollback entry.
std::optional<std::string> previous_image(std::string_view status_document);

// The first https:// documentation, URL, source or release-notes label found in a depth-first walk
// of the document (at most 512 bytes).
std::optional<std::string> documentation_url(std::string_view status_document);

}  // namespace settings::panes::updates
