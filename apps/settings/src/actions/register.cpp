#include "actions/register.h"

#include <memory>
#include <string>

#include "orvo_actions/registry.h"

namespace settings::actions {
namespace {

class SettingsActionHandler final : public orvo_actions::NamespaceHandler {
 public:
  explicit SettingsActionHandler(std::string name) : name_(std::move(name)) {}

  std::expected<std::string, std::string> decode(std::string_view) const override {
    return std::unexpected(name_ + " payloads cannot be decoded yet");
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
