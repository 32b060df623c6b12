#include "orvo_log/log.h"

#include <atomic>
#include <mutex>

#include <spdlog/sinks/stdout_color_sinks.h>
#include <spdlog/spdlog.h>

namespace orvo_log {
namespace {

std::mutex g_capture_mutex;
CaptureScope* g_capture = nullptr;

// Never destroyed, and kept out of spdlog's registry (which is torn down at exit): a detached
// worker may still log while the process ends.
spdlog::logger& logger() {
  static spdlog::logger* instance = [] {
    auto* l = new spdlog::logger("orvo", std::make_shared<spdlog::sinks::stderr_color_sink_mt>());
    l->set_pattern("%Y-%m-%dT%H:%M:%S.%e %^%l%$ %v");
    l->set_level(spdlog::level::info);
    return l;
  }();
  return *instance;
}

spdlog::level::level_enum to_spdlog(Level level) {
  switch (level) {
    case Level::Debug: return spdlog::level::debug;
    case Level::Info: return spdlog::level::info;
    case Level::Warn: return spdlog::level::warn;
    case Level::Error: return spdlog::level::err;
  }
  return spdlog::level::info;
}

}  // namespace

struct CaptureScope::State {
  mutable std::mutex mutex;
  std::vector<Event> events;
};

std::string Event::rendered() const {
  std::string out = message;
  for (const auto& [key, value] : fields) {
    out += ' ';
    out += key;
    out += '=';
    out += value;
  }
  return out;
}

void log(Level level, std::string_view message, std::initializer_list<Field> fields) {
  Event event{level, std::string(message), {}};
  event.fields.reserve(fields.size());
  for (const auto& f : fields) event.fields.emplace_back(std::string(f.key), f.value);
  logger().log(to_spdlog(level), "{}", event.rendered());
  std::lock_guard lock(g_capture_mutex);
  if (g_capture) g_capture->record(std::move(event));
}

CaptureScope::CaptureScope() : state_(new State) {
  std::lock_guard lock(g_capture_mutex);
  previous_ = g_capture;
  g_capture = this;
}

CaptureScope::~CaptureScope() {
  {
    std::lock_guard lock(g_capture_mutex);
    g_capture = previous_;
  }
  delete state_;
}

void CaptureScope::record(Event event) {
  std::lock_guard lock(state_->mutex);
  state_->events.push_back(std::move(event));
}

std::vector<Event> CaptureScope::events() const {
  std::lock_guard lock(state_->mutex);
  return state_->events;
}

std::size_t CaptureScope::count(std::string_view message) const {
  std::lock_guard lock(state_->mutex);
  std::size_t n = 0;
  for (const auto& e : state_->events) n += e.message == message ? 1 : 0;
  return n;
}

}  // namespace orvo_log
