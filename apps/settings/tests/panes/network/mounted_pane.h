#pragma once
// A network pane on a fake machine, as the pane table mounts it, and passes that wait for what
// they started.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "fake_network.h"
#include "harness/pane_harness.h"
#include "lib/settings_document.h"
#include "panes/network/network_pane.h"

namespace settings::panes::network::testing {

using panes::testing::PaneHarness;

// Passes (a few milliseconds apart) until `done` holds; at most about two seconds.
inline void pass_until(NetworkPane& pane, const std::function<bool()>& done, orvo_doc::Document* frame = nullptr) {
  PaneHarness::pass(pane, frame);
  for (int i = 0; i < 1000 && !done(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    PaneHarness::pass(pane, frame);
  }
}

// Passes until the first look at the machine and every call the passes started have come back.
inline void settle(NetworkPane& pane, orvo_doc::Document* frame = nullptr) {
  pass_until(pane, [&] { return pane.loaded() && !pane.calls_in_flight(); }, frame);
  ASSERT_TRUE(pane.loaded());
  ASSERT_FALSE(pane.calls_in_flight());
}

// A pane mounted as the pane table mounts it, on a fake machine, seeded and settled.
struct Mounted {
  explicit Mounted(std::function<void(FakeMachine&)> setup = {}) {
    if (setup) setup(*machine);
    pane = std::make_unique<NetworkPane>(NetworkPane(fake_services(machine))
                                             .with_pane_operation(harness.operation_cell())
                                             .with_operation_status(harness.status_cell()));
    pass();
    machine->calls.clear();
  }
  // One pass, then passes until what it started has come back.
  void pass() { settle(*pane); }
  orvo_doc::Document& doc() { return *pane->own_document(); }
  std::optional<bool> flag(std::string_view key) { return lib::read_bool(doc(), orvo_doc::kRoot, key); }
  void put(std::string_view key, bool value) {
    (void)doc().put(orvo_doc::kRoot, key, orvo_doc::ScalarValue::boolean(value));
  }
  void put_text(std::string_view key, std::string_view value) {
    (void)doc().put(orvo_doc::kRoot, key, orvo_doc::ScalarValue::str(std::string(value)));
  }
  std::string text(std::string_view key) { return lib::read_text(doc(), orvo_doc::kRoot, key).value_or(""); }
  // A press of a button bound to `key`, and passes until what it started has come back.
  void press(std::string_view key) {
    put(key, true);
    pass();
  }

  PaneHarness harness;
  std::shared_ptr<FakeMachine> machine = std::make_shared<FakeMachine>();
  std::unique_ptr<NetworkPane> pane;
};

}  // namespace settings::panes::network::testing
