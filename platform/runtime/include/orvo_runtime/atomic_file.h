#pragma once
// The one way state files are written: a temporary file in the same directory gets the bytes and
// its exact mode (fchmod, so the umask cannot widen or narrow it), is flushed to disk, renamed over
// the target, and the directory is flushed so the rename itself survives a crash. A reader sees the
// old file or the new one, never a mix.
//
// A target that is a symbolic link (a dotfile kept in a repository, say) is written through: the
// file it leads to is replaced and the link stays. A file that exists keeps a mode stricter than the
// one asked for. Temporary files are named ".<name>.tmp-<pid>-<random>"; a write first removes those
// of its own target whose writer is no longer running, so a killed writer leaves nothing for good.
#include <sys/types.h>

#include <cstddef>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace atomic_file {

// Replaces `path` with `bytes`, giving the file exactly `mode`. On failure the old file is left as
// it was and the temporary file is removed; the error is a lower-case sentence naming the path.
// Success means the new content is in place: once the rename has happened the write counts as done,
// and a failure to flush the directory afterwards is logged rather than returned (callers roll back
// on failure, and must not roll back a change that did happen).
std::expected<void, std::string> write(const std::filesystem::path& path, std::string_view bytes, mode_t mode);

// The same, first creating the missing parent directories owner-only (see `create_private_directories`).
std::expected<void, std::string> write_creating_parent_with_mode(const std::filesystem::path& path,
                                                                 std::string_view bytes, mode_t mode);

// Creates `directory` and its missing ancestors with mode 0700 whatever the umask. Directories that
// already exist are left as they are. Answers the error of the first that could not be made.
std::error_code create_private_directories(const std::filesystem::path& directory);

// The file a write of `path` replaces: `path` itself, or where its chain of symbolic links leads.
std::filesystem::path write_target(const std::filesystem::path& path);

// Removes `path` and flushes its directory. A file that does not exist counts as removed.
std::expected<void, std::string> remove(const std::filesystem::path& path);

// The most a state file is read up to: far beyond any file this program writes.
inline constexpr std::size_t kStateFileCap = std::size_t{16} << 20;

// Reads a whole state file with the capped reader (a regular file only, opened without blocking,
// at most `cap` bytes). A missing file is "no file yet" (nullopt); any other failure (a directory,
// a FIFO, a device, a file over the cap) is an error, so that a caller never mistakes an unreadable
// file for an empty one and overwrites it.
std::expected<std::optional<std::string>, std::string> read_existing(const std::filesystem::path& path,
                                                                     std::size_t cap = kStateFileCap);

}  // namespace atomic_file
