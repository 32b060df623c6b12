#include "settings_app/search_field.h"

#include "orvo_ui/widgets/text_input.h"

namespace settings::settings_app {

std::unique_ptr<orvo_ui::Widget> make_search_field(const orvo_ui::PublishedCell<std::string>& text) {
  return std::make_unique<orvo_ui::TextInput>(orvo_ui::TextInput::from_state(text)
                                                  .with_kind(kSearchFieldKind)
                                                  .with_id(kSearchFieldId)
                                                  .with_placeholder(kSearchPlaceholder)
                                                  .size(kSearchTextSize)
                                                  .with_max_bytes(kSearchMaxBytes));
}

}  // namespace settings::settings_app
