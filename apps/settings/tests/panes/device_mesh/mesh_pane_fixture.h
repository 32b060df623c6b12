#pragma once
// The Devices & Sync pane in a temporary home: the root's cells, the identity root under the home,
// and a stand-in `pkexec` (the only program on PATH) that records its arguments and standard input
// and answers with a chosen exit status, standard error and delay.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "device_mesh/mesh_env.h"
#include "harness/pane_harness.h"
#include "harness/stub_programs.h"
#include "panes/device_mesh/device_mesh_pane.h"

namespace settings::panes::device_mesh::testing {

using settings_app::OperationStatus;

class MeshPaneFixture {
 public:
  MeshPaneFixture()
      : identity_root_("ORVO_IDENTITY_ROOT", (harness_.home().root() / "device-root").string()),
        identity_dir_("ORVO_USER_IDENTITY_DIR", (harness_.home().root() / "identities").string()),
        stubs_(harness_.home().root() / "stubs") {
    answer_pkexec();
  }

  panes::testing::PaneHarness& harness() { return harness_; }
  const panes::testing::PaneHome& home() const { return harness_.home(); }
  panes::testing::StubPrograms& stubs() { return stubs_; }
  std::string identity_root() const { return (harness_.home().root() / "device-root").string(); }

  // Workspaces "Family" (4) and "Studio" (12) in the mesh state.
  void two_workspaces() const {
    home().write("config/orvo/state.json", R"({"workspaces":[{"id":12,"name":"Studio"},{"id":4,"name":"Family"}]})");
  }

  // The stand-in answers every call so (`delay` as /bin/sleep takes it, "0" for none).
  void answer_pkexec(int status = 0, std::string_view standard_error = "", std::string_view delay = "0") {
    const auto dir = stubs_.dir();
    std::ostringstream body;
    body << "echo \"$*\" >> '" << (dir / "calls").string() << "'\n"
         << "n=$(/usr/bin/wc -l < '" << (dir / "calls").string() << "')\n"
         << "/bin/cat > '" << (dir / "stdin.").string() << "'$n\n"
         << "/bin/sleep " << delay << "\n"
         << "printf '%s' '" << standard_error << "' >&2\n"
         << "exit " << status << "\n";
    stubs_.script("pkexec", body.str());
  }

  // The command lines the stand-in saw, in order.
  std::vector<std::string> pkexec_calls() const {
    std::ifstream in(stubs_.dir() / "calls");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  // The standard input of the n-th call (1-based).
  std::string pkexec_input(std::size_t n) const {
    std::ifstream in(stubs_.dir() / ("stdin." + std::to_string(n)), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  DeviceMeshPane attached_pane() {
    return DeviceMeshPane()
        .with_pane_operation(harness_.app().device_mesh_operation())
        .with_operation_status(harness_.status_cell());
  }

  // Publishes the operation and Running with its key, as the runner does; answers the key.
  std::string hand_over(const DeviceMeshOperation& operation) {
    (void)harness_.app().device_mesh_operation().publish(operation);
    std::string key = handed_operation_key(operation);
    harness_.mark_running(key);
    return key;
  }

  // Passes until the policy apply (and any reapply) has ended.
  static void settle(DeviceMeshPane& pane) {
    for (int i = 0; i < 500; ++i) {
      panes::testing::PaneHarness::pass(pane);
      if (!pane.policy_running()) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ADD_FAILURE() << "the policy apply did not end";
  }

  std::string policy(std::string_view role, std::string_view ids, std::string_view replication, bool inbound) const {
    return "{\"identity_root\":\"" + identity_root() + "\",\"role\":\"" + std::string(role) + "\",\"workspace_ids\":[" +
           std::string(ids) + "],\"replication\":\"" + std::string(replication) +
           "\",\"inbound_relay\":" + (inbound ? "true" : "false") +
           ",\"remote_control_relay\":false,\"app_serving\":false,\"compute\":false}";
  }

 private:
  panes::testing::PaneHarness harness_;
  ScopedEnv identity_root_;
  ScopedEnv identity_dir_;
  panes::testing::StubPrograms stubs_;
};

}  // namespace settings::panes::device_mesh::testing
