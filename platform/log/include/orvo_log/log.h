#pragma once
// Structured logging: a short lower-case message followed by key=value fields.
// Events go to standard error through spdlog; tests capture them with `CaptureScope`.
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace orvo_log {

enum class Level { Debug, Info, Warn, Error };

struct Field {
  std::string_view key;
  std::string value;
};

struct Event {
  Level level;
  std::string message;
  std::vector<std::pair<std::string, std::string>> fields;
  // "message key=value key=value", as written to the log.
  std::string rendered() const;
};

void log(Level level, std::string_view message, std::initializer_list<Field> fields = {});
inline void debug(std::string_view m, std::initializer_list<Field> f = {}) { log(Level::Debug, m, f); }
inline void info(std::string_view m, std::initializer_list<Field> f = {}) { log(Level::Info, m, f); }
inline void warn(std::string_view m, std::initializer_list<Field> f = {}) { log(Level::Warn, m, f); }
inline void error(std::string_view m, std::initializer_list<Field> f = {}) { log(Level::Error, m, f); }

// While alive, every event of every thread is also recorded here (scopes nest; the innermost records).
class CaptureScope {
 public:
  CaptureScope();
  ~CaptureScope();
  CaptureScope(const CaptureScope&) = delete;
  CaptureScope& operator=(const CaptureScope&) = delete;

  std::vector<Event> events() const;
  // How many recorded events have exactly this message.
  std::size_t count(std::string_view message) const;

 private:
  friend void log(Level, std::string_view, std::initializer_list<Field>);
  void record(Event event);
  CaptureScope* previous_;
  struct State;
  State* state_;
};

}  // namespace orvo_log
