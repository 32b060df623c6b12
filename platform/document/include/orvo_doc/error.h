#pragma once
// Why a document refused a read or a write.
#include <string>

namespace orvo_doc {

enum class ErrorKind {
  NoSuchObject,     // the object id names no live object of this document
  WrongObjectType,  // a map operation on a list or text, a list operation on a map, ...
  IndexOutOfRange,  // a list or text position past the end
  InvalidUtf8,      // a key, string or text insertion that is not valid UTF-8
};

struct Error {
  ErrorKind kind;
  std::string message;  // lower-case phrase, e.g. "no object Id(7) in this document"
};

}  // namespace orvo_doc
