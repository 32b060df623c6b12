#include "orvo_doc/document.h"

#include "key_map.h"
#include "sha256.h"
#include "utf8.h"

#include <bit>
#include <string>
#include <unordered_map>
#include <utility>

namespace orvo_doc {
namespace {

struct MapBody {
  KeyMap entries;
};
struct ListBody {
  std::vector<Value> items;
};
struct TextBody {
  std::string utf8;
  std::size_t code_points = 0;
};

struct Object {
  ObjType type;
  std::variant<MapBody, ListBody, TextBody> body;
};

Object make_object(ObjType type) {
  switch (type) {
    case ObjType::List: return {type, ListBody{}};
    case ObjType::Text: return {type, TextBody{}};
    case ObjType::Map:
    case ObjType::Table: break;
  }
  return {type, MapBody{}};
}

// Operation codes of the change encoding that the change hash covers.
enum class OpCode : std::uint8_t { Put = 1, PutObject, PutAt, PutObjectAt, Insert, InsertObject, Splice };

void put_varint(std::string& out, std::uint64_t value) {
  char buffer[10];
  std::size_t n = 0;
  while (value >= 0x80) {
    buffer[n++] = static_cast<char>((value & 0x7F) | 0x80);
    value >>= 7;
  }
  buffer[n++] = static_cast<char>(value);
  out.append(buffer, n);
}

void put_u64(std::string& out, std::uint64_t value) {
  char buffer[8];
  for (int i = 0; i < 8; ++i) buffer[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  out.append(buffer, 8);
}

void put_bytes(std::string& out, std::string_view bytes) {
  put_varint(out, bytes.size());
  out.append(bytes);
}

void put_bytes(std::string& out, const std::vector<std::uint8_t>& bytes) {
  put_bytes(out, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void put_scalar(std::string& out, const ScalarValue& value) {
  out.push_back(static_cast<char>(value.kind()));
  switch (value.kind()) {
    case ScalarKind::Str: put_bytes(out, *value.as_str()); break;
    case ScalarKind::Int: put_u64(out, static_cast<std::uint64_t>(*value.as_int())); break;
    case ScalarKind::Uint: put_u64(out, *value.as_uint()); break;
    case ScalarKind::F64: put_u64(out, std::bit_cast<std::uint64_t>(*value.as_f64())); break;
    case ScalarKind::Counter: put_u64(out, static_cast<std::uint64_t>(*value.as_counter())); break;
    case ScalarKind::Timestamp: put_u64(out, static_cast<std::uint64_t>(*value.as_timestamp())); break;
    case ScalarKind::Boolean: out.push_back(*value.as_bool() ? 1 : 0); break;
    case ScalarKind::Null: break;
    case ScalarKind::Bytes: put_bytes(out, *value.as_bytes()); break;
    case ScalarKind::Unknown:
      out.push_back(static_cast<char>(value.as_unknown()->type_code));
      put_bytes(out, value.as_unknown()->bytes);
      break;
  }
}

Error no_such_object(ObjId id) {
  return {ErrorKind::NoSuchObject, "no object " + to_debug_string(id) + " in this document"};
}

std::string_view noun(ObjType type) { return type == ObjType::Text ? "text object" : to_string(type); }

Error wrong_type(ObjId id, ObjType actual, std::string_view wanted) {
  return {ErrorKind::WrongObjectType,
          to_debug_string(id) + " is a " + std::string(noun(actual)) + ", not a " + std::string(wanted)};
}

Error out_of_range(ObjId id, std::size_t index, std::size_t length) {
  return {ErrorKind::IndexOutOfRange, "position " + std::to_string(index) + " is past the end of " +
                                          to_debug_string(id) + " (length " + std::to_string(length) + ")"};
}

Error invalid_utf8(std::string_view what) { return {ErrorKind::InvalidUtf8, std::string(what) + " is not valid UTF-8"}; }

std::expected<void, Error> check_scalar(const ScalarValue& value) {
  if (const std::string* s = value.as_str(); s && !utf8::is_valid(*s)) return std::unexpected(invalid_utf8("string value"));
  return {};
}

// The open transaction hashes its operations as they come, a few kilobytes at a time, so that a
// large transaction keeps no copy of everything it wrote. (Outside the state, whose optional member
// must see it complete.)
struct Transaction {
  static constexpr std::size_t kFlushAt = 4096;
  std::uint64_t start_op = 0;
  std::size_t ops = 0;
  std::uint64_t encoded_size = 0;
  std::string encoded;  // operations not yet fed to the digest
  Sha256 digest;
};

}  // namespace

struct Document::State {
  explicit State(const ActorId& a) : actor(a) { objects.emplace(kRoot.counter, make_object(ObjType::Map)); }

  ActorId actor;
  std::uint64_t max_op = 0;  // counter of the latest operation; object ids are operation counters
  std::uint64_t seq = 0;     // changes committed by this actor
  std::vector<ChangeHash> heads;
  std::unordered_map<std::uint64_t, Object> objects;
  std::optional<Transaction> tx;

  std::expected<Object*, Error> find(ObjId id) {
    auto it = objects.find(id.counter);
    if (it == objects.end()) return std::unexpected(no_such_object(id));
    return &it->second;
  }

  std::expected<const Object*, Error> find(ObjId id) const {
    auto it = objects.find(id.counter);
    if (it == objects.end()) return std::unexpected(no_such_object(id));
    return &it->second;
  }

  template <typename Body>
  std::expected<Body*, Error> find_body(ObjId id, std::string_view wanted) {
    auto obj = find(id);
    if (!obj) return std::unexpected(obj.error());
    if (Body* body = std::get_if<Body>(&(*obj)->body)) return body;
    return std::unexpected(wrong_type(id, (*obj)->type, wanted));
  }

  template <typename Body>
  std::expected<const Body*, Error> find_body(ObjId id, std::string_view wanted) const {
    auto obj = find(id);
    if (!obj) return std::unexpected(obj.error());
    if (const Body* body = std::get_if<Body>(&(*obj)->body)) return body;
    return std::unexpected(wrong_type(id, (*obj)->type, wanted));
  }

  // Opens the transaction when needed, reserves `count` operation counters and starts the op's
  // record; returns the counter of the first reserved operation.
  std::uint64_t begin_op(OpCode code, ObjId obj, std::size_t count) {
    if (!tx) open_transaction();
    if (tx->encoded.size() >= Transaction::kFlushAt) {
      tx->digest.update(tx->encoded);
      tx->encoded_size += tx->encoded.size();
      tx->encoded.clear();
    }
    const std::uint64_t first = max_op + 1;
    max_op += count;
    tx->ops += count;
    tx->encoded.push_back(static_cast<char>(code));
    put_varint(tx->encoded, obj.counter);
    return first;
  }

  ObjectRef create_object(std::uint64_t counter, ObjType type) {
    objects.emplace(counter, make_object(type));
    tx->encoded.push_back(static_cast<char>(type));
    return {type, ObjId{counter}};
  }

  // A value that leaves the document takes its object, and everything nested in it, along.
  void drop(const Value& old) {
    const auto* ref = std::get_if<ObjectRef>(&old);
    if (!ref) return;
    std::vector<ObjId> pending{ref->id};
    while (!pending.empty()) {
      ObjId id = pending.back();
      pending.pop_back();
      auto it = objects.find(id.counter);
      if (it == objects.end()) continue;
      auto collect = [&](const Value& v) {
        if (const auto* child = std::get_if<ObjectRef>(&v)) pending.push_back(child->id);
      };
      if (const auto* map = std::get_if<MapBody>(&it->second.body)) {
        map->entries.for_each_value(collect);
      } else if (const auto* list = std::get_if<ListBody>(&it->second.body)) {
        for (const auto& v : list->items) collect(v);
      }
      objects.erase(it);
    }
  }

  void assign(Value& slot, Value value) {
    Value old = std::exchange(slot, std::move(value));
    drop(old);
  }

  std::expected<MapBody*, Error> writable_map(ObjId map, std::string_view key) {
    auto found = find_body<MapBody>(map, "map");
    if (!found) return std::unexpected(found.error());
    if (!utf8::is_valid(key)) return std::unexpected(invalid_utf8("map key"));
    return *found;
  }

  void store(MapBody& body, std::string_view key, Value value) {
    auto [slot, inserted] = body.entries.find_or_insert(key, [&] { return std::move(value); });
    if (!inserted) assign(*slot, std::move(value));
  }

  // The change's header: what it follows, who wrote it, and where its operations start.
  void open_transaction() {
    tx.emplace();
    tx->start_op = max_op + 1;
    std::string header = "orvo-doc change 1";
    put_varint(header, heads.size());
    for (const auto& dep : heads) header.append(reinterpret_cast<const char*>(dep.bytes.data()), dep.bytes.size());
    header.append(reinterpret_cast<const char*>(actor.to_bytes().data()), ActorId::kSize);
    put_varint(header, seq + 1);
    put_varint(header, tx->start_op);
    tx->digest.update(header);
  }

  std::optional<ChangeHash> commit() {
    if (!tx || tx->ops == 0) {
      tx.reset();
      return std::nullopt;
    }
    tx->digest.update(tx->encoded);
    std::string trailer;
    put_varint(trailer, tx->ops);
    put_varint(trailer, tx->encoded_size + tx->encoded.size());
    tx->digest.update(trailer);
    ChangeHash hash = tx->digest.finish();
    ++seq;
    heads.assign(1, hash);
    tx.reset();
    return hash;
  }
};

Document::Document() : Document(ActorId::random()) {}
Document::Document(const ActorId& actor) : state_(std::make_unique<State>(actor)) {}
Document::Document(std::unique_ptr<State> state) : state_(std::move(state)) {}
Document::~Document() = default;
Document::Document(Document&&) noexcept = default;
Document& Document::operator=(Document&&) noexcept = default;

Document Document::clone() const { return Document(std::make_unique<State>(*state_)); }

Document Document::fork() {
  state_->commit();
  auto copy = std::make_unique<State>(*state_);
  copy->actor = ActorId::random();
  copy->seq = 0;
  return Document(std::move(copy));
}

const ActorId& Document::actor_id() const { return state_->actor; }

std::expected<std::optional<Value>, Error> Document::get(ObjId map, std::string_view key) const {
  auto body = state_->find_body<MapBody>(map, "map");
  if (!body) return std::unexpected(body.error());
  const Value* value = (*body)->entries.find(key);
  if (!value) return std::optional<Value>{};
  return std::optional<Value>{*value};
}

std::expected<const Value*, Error> Document::lookup(ObjId map, std::string_view key) const {
  auto body = state_->find_body<MapBody>(map, "map");
  if (!body) return std::unexpected(body.error());
  return (*body)->entries.find(key);
}

std::expected<std::optional<Value>, Error> Document::get_at(ObjId list, std::size_t index) const {
  auto body = state_->find_body<ListBody>(list, "list");
  if (!body) return std::unexpected(body.error());
  if (index >= (*body)->items.size()) return std::optional<Value>{};
  return std::optional<Value>{(*body)->items[index]};
}

std::expected<ObjType, Error> Document::object_type(ObjId obj) const {
  auto found = state_->find(obj);
  if (!found) return std::unexpected(found.error());
  return (*found)->type;
}

std::expected<std::string, Error> Document::text(ObjId text) const {
  auto body = state_->find_body<TextBody>(text, "text object");
  if (!body) return std::unexpected(body.error());
  return (*body)->utf8;
}

std::expected<std::size_t, Error> Document::length(ObjId obj) const {
  auto found = state_->find(obj);
  if (!found) return std::unexpected(found.error());
  const auto& body = (*found)->body;
  if (const auto* map = std::get_if<MapBody>(&body)) return map->entries.size();
  if (const auto* list = std::get_if<ListBody>(&body)) return list->items.size();
  return std::get<TextBody>(body).code_points;
}

std::expected<void, Error> Document::put(ObjId map, std::string_view key, ScalarValue value) {
  auto body = state_->writable_map(map, key);
  if (!body) return std::unexpected(body.error());
  if (auto ok = check_scalar(value); !ok) return ok;
  state_->begin_op(OpCode::Put, map, 1);
  put_bytes(state_->tx->encoded, key);
  put_scalar(state_->tx->encoded, value);
  state_->store(**body, key, std::move(value));
  return {};
}

std::expected<ObjId, Error> Document::put_object(ObjId map, std::string_view key, ObjType type) {
  auto body = state_->writable_map(map, key);
  if (!body) return std::unexpected(body.error());
  const std::uint64_t counter = state_->begin_op(OpCode::PutObject, map, 1);
  put_bytes(state_->tx->encoded, key);
  // Creating the object may rehash `objects`, but map bodies live in the table's nodes, which stay put.
  ObjectRef ref = state_->create_object(counter, type);
  state_->store(**body, key, ref);
  return ref.id;
}

std::expected<void, Error> Document::put_at(ObjId list, std::size_t index, ScalarValue value) {
  auto body = state_->find_body<ListBody>(list, "list");
  if (!body) return std::unexpected(body.error());
  if (index >= (*body)->items.size()) return std::unexpected(out_of_range(list, index, (*body)->items.size()));
  if (auto ok = check_scalar(value); !ok) return ok;
  state_->begin_op(OpCode::PutAt, list, 1);
  put_varint(state_->tx->encoded, index);
  put_scalar(state_->tx->encoded, value);
  state_->assign((*body)->items[index], std::move(value));
  return {};
}

std::expected<ObjId, Error> Document::put_object_at(ObjId list, std::size_t index, ObjType type) {
  auto body = state_->find_body<ListBody>(list, "list");
  if (!body) return std::unexpected(body.error());
  if (index >= (*body)->items.size()) return std::unexpected(out_of_range(list, index, (*body)->items.size()));
  const std::uint64_t counter = state_->begin_op(OpCode::PutObjectAt, list, 1);
  put_varint(state_->tx->encoded, index);
  ObjectRef ref = state_->create_object(counter, type);
  state_->assign((*body)->items[index], ref);
  return ref.id;
}

std::expected<void, Error> Document::insert(ObjId list, std::size_t index, ScalarValue value) {
  auto body = state_->find_body<ListBody>(list, "list");
  if (!body) return std::unexpected(body.error());
  auto& items = (*body)->items;
  if (index > items.size()) return std::unexpected(out_of_range(list, index, items.size()));
  if (auto ok = check_scalar(value); !ok) return ok;
  state_->begin_op(OpCode::Insert, list, 1);
  put_varint(state_->tx->encoded, index);
  put_scalar(state_->tx->encoded, value);
  items.insert(items.begin() + static_cast<std::ptrdiff_t>(index), std::move(value));
  return {};
}

std::expected<ObjId, Error> Document::insert_object(ObjId list, std::size_t index, ObjType type) {
  auto body = state_->find_body<ListBody>(list, "list");
  if (!body) return std::unexpected(body.error());
  auto& items = (*body)->items;
  if (index > items.size()) return std::unexpected(out_of_range(list, index, items.size()));
  const std::uint64_t counter = state_->begin_op(OpCode::InsertObject, list, 1);
  put_varint(state_->tx->encoded, index);
  ObjectRef ref = state_->create_object(counter, type);
  items.insert(items.begin() + static_cast<std::ptrdiff_t>(index), ref);
  return ref.id;
}

std::expected<void, Error> Document::splice_text(ObjId text, std::size_t pos, std::size_t del, std::string_view insert) {
  auto found = state_->find_body<TextBody>(text, "text object");
  if (!found) return std::unexpected(found.error());
  TextBody& body = **found;
  if (pos > body.code_points) return std::unexpected(out_of_range(text, pos, body.code_points));
  if (del > body.code_points - pos) return std::unexpected(out_of_range(text, pos + del, body.code_points));
  if (!utf8::is_valid(insert)) return std::unexpected(invalid_utf8("inserted text"));
  const std::size_t inserted = utf8::count_code_points(insert);
  if (del == 0 && inserted == 0) return {};

  state_->begin_op(OpCode::Splice, text, del + inserted);
  put_varint(state_->tx->encoded, pos);
  put_varint(state_->tx->encoded, del);
  put_bytes(state_->tx->encoded, insert);

  const std::size_t from = utf8::byte_offset(body.utf8, pos);
  const std::size_t to = from + utf8::byte_offset(std::string_view(body.utf8).substr(from), del);
  body.utf8.replace(from, to - from, insert);
  body.code_points = body.code_points - del + inserted;
  return {};
}

std::size_t Document::pending_ops() const { return state_->tx ? state_->tx->ops : 0; }

std::optional<ChangeHash> Document::commit() { return state_->commit(); }

std::vector<ChangeHash> Document::get_heads() {
  state_->commit();
  return state_->heads;
}

}  // namespace orvo_doc
