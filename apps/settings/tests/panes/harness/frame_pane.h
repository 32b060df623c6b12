#pragma once
// A pane in a temporary home, passed against a frame document as the loop does: a test puts values
// under the pane's keys, passes, and reads back what the pane published or saved in the home's
// settings file.
#include <gtest/gtest.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string_view>
#include <variant>

#include "harness/pane_harness.h"
#include "orvo_doc/document.h"

namespace settings::panes::testing {

template <class Pane>
struct FramePane {
  PaneHarness harness;
  orvo_doc::Document document;
  std::unique_ptr<Pane> pane;

  void pass() { PaneHarness::pass(*pane, &document); }
  void put(std::string_view key, orvo_doc::ScalarValue value) {
    ASSERT_TRUE(document.put(orvo_doc::kRoot, key, std::move(value)));
  }
  std::optional<orvo_doc::ScalarValue> get(std::string_view key) {
    auto value = document.get(orvo_doc::kRoot, key);
    if (!value || !*value) return std::nullopt;
    return std::get<orvo_doc::ScalarValue>(**value);
  }
  // The home's settings file as saved.
  nlohmann::json saved() { return nlohmann::json::parse(*harness.home().read("config/orvo/settings.json")); }
};

}  // namespace settings::panes::testing
