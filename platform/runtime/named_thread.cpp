#include "orvo_runtime/named_thread.h"

#include <pthread.h>

#include <cstring>

#include "orvo_log/log.h"

namespace orvo_runtime {

std::string fit_thread_name(std::string_view name) {
  if (name.size() <= kThreadNameLimit) return std::string(name);
  std::size_t cut = kThreadNameLimit;
  // Step back over UTF-8 continuation bytes so a character is dropped whole.
  while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
  return std::string(name.substr(0, cut));
}

bool set_current_thread_name(std::string_view name) {
  const std::string fitted = fit_thread_name(name);
  const int rc = ::pthread_setname_np(::pthread_self(), fitted.c_str());
  if (rc != 0) {
    orvo_log::warn("thread naming failed", {{"name", fitted}, {"error", std::strerror(rc)}});
    return false;
  }
  return true;
}

}  // namespace orvo_runtime
