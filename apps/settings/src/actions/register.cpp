#include "actions/register.h"

#include <memory>
#include <string>

#include "orvo_actions/registry.h"

namespace settings::actions {
namespace {

class SettingsActionHandler final : public orvo_actions::NamespaceHandler {
 public:
  explicit SettingsActionHandler(std::string name) : name_(std::move(name)) {}

  std::expected<std::unique_ptr<orvo_actions::TypedAction>, orvo_actions::ActionError> decode(
      std::string_view) const override {
    return std::unexpected(orvo_actions::ActionError::decoding(name_, "this namespace has no decoder yet"));
  }

 private:
  std::string name_;
};

}  // namespace

void register_settings_action(orvo_actions::ActionRegistry& registry) {
  registry.register_namespace(std::string(kSettingsActionNamespace),
                              std::make_unique<SettingsActionHandler>(std::string(kSettingsActionNamespace)));
}

}  // namespace settings::actions
