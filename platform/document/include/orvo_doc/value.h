#pragma once
// What a document stores at a map key or list position: a scalar, or a nested object.
#include "orvo_doc/obj_id.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace orvo_doc {

enum class ObjType : std::uint8_t { Map, List, Text, Table };

enum class ScalarKind : std::uint8_t { Str, Int, Uint, F64, Counter, Timestamp, Boolean, Null, Bytes, Unknown };

std::string_view to_string(ObjType type);
std::string_view to_string(ScalarKind kind);

// A scalar of a kind this library does not interpret, kept as its type code and raw bytes.
struct UnknownScalar {
  std::uint8_t type_code = 0;
  std::vector<std::uint8_t> bytes;
  friend bool operator==(const UnknownScalar&, const UnknownScalar&) = default;
};

class ScalarValue {
 public:
  static ScalarValue str(std::string text);
  static ScalarValue int64(std::int64_t value);
  static ScalarValue uint64(std::uint64_t value);
  static ScalarValue f64(double value);
  static ScalarValue counter(std::int64_t value);
  static ScalarValue timestamp(std::int64_t millis_since_epoch);
  static ScalarValue boolean(bool value);
  static ScalarValue null();
  static ScalarValue bytes(std::vector<std::uint8_t> data);
  static ScalarValue unknown(std::uint8_t type_code, std::vector<std::uint8_t> data);

  ScalarKind kind() const { return kind_; }

  // Each accessor answers only for its own kind: no conversion between kinds.
  const std::string* as_str() const;
  std::optional<std::int64_t> as_int() const;
  std::optional<std::uint64_t> as_uint() const;
  std::optional<double> as_f64() const;
  std::optional<std::int64_t> as_counter() const;
  std::optional<std::int64_t> as_timestamp() const;
  std::optional<bool> as_bool() const;
  const std::vector<std::uint8_t>* as_bytes() const;
  const UnknownScalar* as_unknown() const;

  // Same kind and same value. Floats compare by bit pattern, so a NaN equals itself and 0.0 differs
  // from -0.0: "equal" means writing the new value would store exactly what is already there.
  friend bool operator==(const ScalarValue& a, const ScalarValue& b);

 private:
  using Storage = std::variant<std::monostate, std::string, std::int64_t, std::uint64_t, double, bool,
                               std::vector<std::uint8_t>, UnknownScalar>;
  ScalarValue(ScalarKind kind, Storage storage) : kind_(kind), storage_(std::move(storage)) {}

  ScalarKind kind_;
  Storage storage_;
};

// A nested object found at a key or position.
struct ObjectRef {
  ObjType type;
  ObjId id;
  friend bool operator==(const ObjectRef&, const ObjectRef&) = default;
};

using Value = std::variant<ScalarValue, ObjectRef>;

}  // namespace orvo_doc
