#pragma once
// The one way state files are written: a temporary file in the same directory gets the bytes and
// its exact mode (fchmod, so the umask cannot widen or narrow it), is flushed to disk, renamed over
// the target, and the directory is flushed so the rename itself survives a crash. A reader sees the
// old file or the new one, never a mix.
#include <sys/types.h>

#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace atomic_file {

// Replaces `path` with `bytes`, giving the file exactly `mode`. On failure the old file is left as
// it was and the temporary file is removed; the error is a lower-case sentence naming the path.
std::expected<void, std::string> write(const std::filesystem::path& path, std::string_view bytes, mode_t mode);

// Reads a whole state file. A missing file is "no file yet" (nullopt); any other failure is an error,
// so that a caller never mistakes an unreadable file for an empty one and overwrites it.
std::expected<std::optional<std::string>, std::string> read_existing(const std::filesystem::path& path);

}  // namespace atomic_file
