#pragma once
// The two ways the application builds a titled card from the toolkit's card surface.
#include <memory>
#include <string_view>

#include "orvo_ui/widgets/card.h"

namespace settings::widget_support {

// A card with the title above the body and the accessory (when given) at the header's right end.
[[nodiscard]] orvo_ui::Card card_surface_with_accessory(std::string_view title,
                                                        std::unique_ptr<orvo_ui::Widget> accessory,
                                                        std::unique_ptr<orvo_ui::Widget> body);
[[nodiscard]] orvo_ui::Card card_surface(std::string_view title, std::unique_ptr<orvo_ui::Widget> body);

}  // namespace settings::widget_support
