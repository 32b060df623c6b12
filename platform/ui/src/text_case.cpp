#include "orvo_ui/text_case.h"

#include <glib.h>

namespace orvo_ui {

std::string to_uppercase(std::string_view text) {
  if (!g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) return std::string(text);
  gchar* upper = g_utf8_strup(text.data(), static_cast<gssize>(text.size()));
  std::string out(upper);
  g_free(upper);
  return out;
}

}  // namespace orvo_ui
