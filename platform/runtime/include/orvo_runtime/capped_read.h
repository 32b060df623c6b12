#pragma once
// Reads a whole small file without ever holding more than a limit: at most `cap` + 1 bytes are
// read, and a file longer than `cap` is an invalid-data error. A missing file is not-found.
//
// Only a regular file is read. The path is opened without blocking, so a FIFO or a device in its
// place never holds the caller (a FIFO with no writer would wait forever, /dev/zero never ends);
// a directory answers "Is a directory", anything else that is not a regular file is invalid data.
#include <cstddef>
#include <expected>
#include <filesystem>
#include <string>

#include "orvo_runtime/io_error.h"

namespace orvo_runtime {

std::expected<std::string, IoError> read_capped(const std::filesystem::path& path, std::size_t cap);

}  // namespace orvo_runtime
