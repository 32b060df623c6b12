#pragma once
// Compact JSON text writer: no whitespace, commas placed by the writer itself.
#include <cstdint>
#include <string>
#include <string_view>

namespace orvo_json {

class Writer {
 public:
  explicit Writer(std::string& out) : out_(out) {}

  void null();
  void boolean(bool value);
  void unsigned_integer(std::uint64_t value);
  void signed_integer(std::int64_t value);
  // Shortest text that reads back to the same value, with ".0" on integral values; NaN and
  // infinities become null.
  void float64(double value);
  void float32(float value);
  void string(std::string_view value);

  void begin_object();
  void key(std::string_view name);  // the value follows with the next call
  void end_object();
  void begin_array();
  void end_array();

 private:
  void separate();

  std::string& out_;
  bool comma_ = false;
};

}  // namespace orvo_json
