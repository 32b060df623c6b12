#include "widget_support/card_surface.h"

#include <string>

namespace settings::widget_support {

orvo_ui::Card card_surface_with_accessory(std::string_view title, std::unique_ptr<orvo_ui::Widget> accessory,
                                          std::unique_ptr<orvo_ui::Widget> body) {
  return orvo_ui::card::surface(std::string(title), std::move(accessory), std::move(body));
}

orvo_ui::Card card_surface(std::string_view title, std::unique_ptr<orvo_ui::Widget> body) {
  return orvo_ui::card::surface(std::string(title), nullptr, std::move(body));
}

}  // namespace settings::widget_support
