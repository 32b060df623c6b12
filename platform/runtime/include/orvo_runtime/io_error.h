#pragma once
// An input/output failure as a value: its kind, so that a caller can tell a missing file from a
// damaged one, and the sentence to show.
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

namespace orvo_runtime {

enum class IoErrorKind { NotFound, PermissionDenied, InvalidData, Other };

struct IoError {
  IoErrorKind kind = IoErrorKind::Other;
  std::string text;

  // The system's text for `error` (an errno value), with its kind.
  static IoError from_errno(int error) {
    IoErrorKind kind = IoErrorKind::Other;
    if (error == ENOENT || error == ENOTDIR) kind = IoErrorKind::NotFound;
    if (error == EACCES || error == EPERM) kind = IoErrorKind::PermissionDenied;
    return {kind, std::strerror(error)};
  }
  static IoError not_found(std::string text) { return {IoErrorKind::NotFound, std::move(text)}; }
  static IoError invalid_data(std::string text) { return {IoErrorKind::InvalidData, std::move(text)}; }
  static IoError other(std::string text) { return {IoErrorKind::Other, std::move(text)}; }

  bool operator==(const IoError&) const = default;
};

}  // namespace orvo_runtime
