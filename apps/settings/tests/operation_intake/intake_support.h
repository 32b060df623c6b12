#pragma once
// A root with its own accounts root and configuration directory, and short ways to hand it
// operations as the toolkit does.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>

#include "accounts_fixture.h"
#include "orvo_runtime/system_paths.h"
#include "settings_app/settings_app.h"

namespace settings::settings_app::testing {

inline constexpr auto kEffect = orvo_ui::OperationClass::Effect;
inline constexpr auto kNavigation = orvo_ui::OperationClass::Navigation;
inline constexpr auto kNoClass = orvo_ui::OperationClass::Setting;

inline orvo_ui::RequestId request(std::uint8_t n) { return orvo_ui::RequestId{n}; }

inline orvo_ui::StartAnswer rejected(std::string message) { return orvo_ui::start::Rejected{std::move(message)}; }
inline orvo_ui::StartAnswer completed() { return orvo_ui::start::Completed{}; }

class RootIntake : public accounts_test::AccountsRoot {
 protected:
  void SetUp() override {
    AccountsRoot::SetUp();
    paths_.emplace("/", root_ / "config");
  }
  void TearDown() override {
    app_.reset();
    paths_.reset();
    AccountsRoot::TearDown();
  }

  SettingsApp& app(account_probe::AccountCheck check = nullptr) {
    if (!app_) {
      app_ = check ? std::make_unique<SettingsApp>(over_, std::move(check)) : std::make_unique<SettingsApp>(over_);
    }
    return *app_;
  }

  orvo_ui::StartAnswer start(orvo_ui::OperationClass cls, std::string_view kind, std::string_view payload,
                             std::uint8_t id = 1) {
    return app().start_resource_operation_with_document(request(id), cls, kind, payload, nullptr);
  }
  orvo_ui::StartAnswer account(orvo_ui::OperationClass cls, std::string_view payload, std::uint8_t id = 1) {
    return start(cls, "settings.account-operation", payload, id);
  }

  // Polls until the operation completes (or gives up after a few seconds).
  std::optional<orvo_ui::OperationCompletion> wait_for(std::uint8_t id) {
    for (int i = 0; i < 1000; ++i) {
      if (auto done = app().poll_operation_results(request(id), false)) return done;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return std::nullopt;
  }

  std::filesystem::path config_dir() const { return root_ / "config"; }

  std::unique_ptr<SettingsApp> app_;
  std::optional<system_paths::ScopedOverride> paths_;
};

}  // namespace settings::settings_app::testing
