#include "orvo_doc/actor_id.h"
#include "orvo_doc/change_hash.h"
#include "orvo_doc/obj_id.h"

#include <sys/random.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <span>

namespace orvo_doc {
namespace {

std::string hex(std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (std::uint8_t b : bytes) {
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 0x0F]);
  }
  return out;
}

}  // namespace

std::string to_debug_string(ObjId id) {
  if (id.is_root()) return "Root";
  return "Id(" + std::to_string(id.counter) + ")";
}

ActorId ActorId::random() {
  Bytes bytes{};
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    ssize_t got = getrandom(bytes.data() + filled, bytes.size() - filled, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      // Without a random source two documents could share an actor; nothing sound can follow.
      std::perror("orvo_doc: getrandom failed");
      std::abort();
    }
    filled += static_cast<std::size_t>(got);
  }
  return ActorId(bytes);
}

std::string ActorId::to_hex_string() const { return hex(bytes_); }

std::string ChangeHash::to_hex() const { return hex(bytes); }

}  // namespace orvo_doc
