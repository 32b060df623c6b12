// The application started offscreen with a stand-in local model manager first on PATH, driven from
// outside with the developer tool.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <string>

#include "../../door/offscreen_app.h"
#include "../harness/stub_programs.h"

namespace settings::panes::agent_models {
namespace {

using door_tests::ToolRun;

constexpr std::string_view kSnapshot = R"({"hardware":{"fit":"good","memory_gib":32,"accelerator":"none",
"reason":"Enough memory."},"models":[{"package":{"id":"tiny-2.5","name":"Tiny","description":"Small.",
"source":"s","revision":"r7","license":"MIT","license_url":"u","download_bytes":1,"installed_bytes":2},
"phase":{"state":"ready","running":false}}]})";

// Logs each run's arguments, answers "snapshot" with one ready, stopped model, and refuses "start"
// while the file "refuse" exists.
void install_manager(testing::StubPrograms& stubs) {
  const auto dir = stubs.dir();
  std::ofstream(dir / "snapshot.json") << kSnapshot;
  stubs.script("orvo-model-manager", "echo \"$*\" >> '" + (dir / "runs").string() +
                                         "'\n"
                                         "case \"$1\" in\n"
                                         "  snapshot) /bin/cat '" +
                                         (dir / "snapshot.json").string() +
                                         "' ;;\n"
                                         "  start) [ -f '" +
                                         (dir / "refuse").string() +
                                         "' ] && exit 1 ;;\n"
                                         "esac\n"
                                         "exit 0\n");
}

long runs_of(const testing::StubPrograms& stubs, std::string_view line) {
  std::ifstream in(stubs.dir() / "runs");
  long count = 0;
  for (std::string run; std::getline(in, run);) count += run == line ? 1 : 0;
  return count;
}

TEST(AgentModelsEndToEnd, StartingAModelFromOutside) {
  door_tests::OffscreenApp app("{}");
  testing::StubPrograms stubs(app.home() / "stubs");
  install_manager(stubs);
  ASSERT_TRUE(app.start()) << app.process().err();
  const std::vector<std::string> start = {"--timeout", "20", "invoke", "settings.agent-model:tiny-2.5", "start"};

  const ToolRun accepted = app.tool(start);
  EXPECT_EQ(accepted.status, 0) << accepted.err;
  EXPECT_EQ(accepted.out, "Start request accepted by the local model manager\n") << accepted.err;
  EXPECT_EQ(runs_of(stubs, "start --model tiny-2.5"), 1);

  std::ofstream(stubs.dir() / "refuse") << "";
  const ToolRun refused = app.tool(start);
  EXPECT_EQ(refused.status, 1) << refused.out;
  EXPECT_NE(refused.err.find("Start failed: model service refused start"), std::string::npos) << refused.err;
  EXPECT_EQ(runs_of(stubs, "start --model tiny-2.5"), 2);

  // The refusal freed the runner: the next request is admitted and carried out.
  std::filesystem::remove(stubs.dir() / "refuse");
  const ToolRun again = app.tool(start);
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.out, "Start request accepted by the local model manager\n") << again.err;
  EXPECT_EQ(runs_of(stubs, "start --model tiny-2.5"), 3);

  EXPECT_EQ(app.stop(), 0) << app.process().err();
}

}  // namespace
}  // namespace settings::panes::agent_models
