#pragma once
// A small change-tracking document: a root map holding scalars and nested maps, lists and text
// objects. Every write goes into an open transaction that the first write opens; `commit` closes it
// as one change named by a SHA-256 hash, and the document's heads are the hash of its latest change.
//
// Positions in text objects count Unicode code points. Reads never open or close a transaction;
// `get_heads` commits the open transaction first. A Document is used from one thread at a time.
// Copies are explicit: `clone` (same actor, same open transaction) and `fork` (commits, new actor).
#include "orvo_doc/actor_id.h"
#include "orvo_doc/change_hash.h"
#include "orvo_doc/error.h"
#include "orvo_doc/obj_id.h"
#include "orvo_doc/value.h"

#include <cstddef>
#include <expected>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace orvo_doc {

class Document {
 public:
  // A new empty document with a random actor id.
  Document();
  explicit Document(const ActorId& actor);
  ~Document();
  Document(Document&&) noexcept;
  Document& operator=(Document&&) noexcept;
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  // A full copy: same actor, same history, same open transaction with its pending operations.
  Document clone() const;
  // Commits the open transaction, then copies the document under a fresh random actor id.
  Document fork();

  const ActorId& actor_id() const;

  // Reads. An absent key or position is no value; an unknown object, or an object of the wrong
  // kind (a key read on a list or text), is an error.
  std::expected<std::optional<Value>, Error> get(ObjId map, std::string_view key) const;
  // The same read without a copy: the document lends the value (nullptr when the key is absent)
  // until its next write.
  std::expected<const Value*, Error> lookup(ObjId map, std::string_view key) const;
  std::expected<std::optional<Value>, Error> get_at(ObjId list, std::size_t index) const;
  std::expected<ObjType, Error> object_type(ObjId obj) const;
  // The whole content of a text object.
  std::expected<std::string, Error> text(ObjId text) const;
  // Entries of a map, items of a list, code points of a text.
  std::expected<std::size_t, Error> length(ObjId obj) const;

  // Writes into maps: a put replaces whatever the key held (a replaced object and everything in it
  // is gone, and its id is no longer valid).
  std::expected<void, Error> put(ObjId map, std::string_view key, ScalarValue value);
  std::expected<ObjId, Error> put_object(ObjId map, std::string_view key, ObjType type);

  // Writes into lists: `put_at` replaces an existing item, `insert` shifts the items from `index` on.
  std::expected<void, Error> put_at(ObjId list, std::size_t index, ScalarValue value);
  std::expected<ObjId, Error> put_object_at(ObjId list, std::size_t index, ObjType type);
  std::expected<void, Error> insert(ObjId list, std::size_t index, ScalarValue value);
  std::expected<ObjId, Error> insert_object(ObjId list, std::size_t index, ObjType type);

  // Deletes `del` code points at `pos` of a text object and inserts `insert` there. Counts one
  // pending operation per deleted and per inserted code point; a splice that changes nothing
  // records nothing.
  std::expected<void, Error> splice_text(ObjId text, std::size_t pos, std::size_t del, std::string_view insert);

  // Operations in the open transaction; 0 when none is open.
  std::size_t pending_ops() const;
  // Closes the open transaction as one change; no change (and no hash) when nothing is pending.
  std::optional<ChangeHash> commit();
  // The hashes of the changes with no successor, ascending; empty for a document without changes.
  // Commits the open transaction first.
  std::vector<ChangeHash> get_heads();

 private:
  struct State;
  explicit Document(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace orvo_doc
