#include "catalogues/queries/input_queries.h"

#include <vector>

#include "catalogues/queries/assistive_programs.h"

namespace settings::actions {
namespace {

class SystemInputQueries final : public InputQueries {
 public:
  std::span<const settings_store::hardware::KeyboardLayout> keyboard_layouts() const override {
    // The rules files belong to the installed system and do not change while the program runs.
    static const std::vector<settings_store::hardware::KeyboardLayout> catalogue =
        settings_store::hardware::load_keyboard_layouts();
    return catalogue;
  }

  bool on_screen_keyboard_installed() const override { return assistive::on_screen_keyboard_installed(); }

  std::optional<std::string> screen_reader_engine() const override { return assistive::screen_reader_engine(); }
};

}  // namespace

const InputQueries& system_input_queries() {
  static const SystemInputQueries queries;
  return queries;
}

}  // namespace settings::actions
