// The application started offscreen and driven from outside: the Printers page answers refresh
// and discover, against a stand-in printing service and with none running.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <string>

#include "../../door/offscreen_app.h"
#include "ipp_stand_in.h"

namespace settings::panes::printers {
namespace {

using os_actions_testing::FakePrinter;
using os_actions_testing::IppStandIn;

std::string trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

TEST(PrintersEndToEnd, RefreshAndDiscoverAnswerAndTheApplicationKeepsAnswering) {
  FakePrinter office;
  office.name = "Office";
  auto server = IppStandIn::start({office}, std::string("Office"), {});
  if (!server) GTEST_SKIP() << "IPP stand-in unavailable: " << server.error();
  door_tests::OffscreenApp app;
  ASSERT_TRUE(app.start()) << app.process().err();

  for (int round = 0; round < 2; ++round) {  // the second answers too: the first freed the runner
    auto refresh = app.tool({"invoke", "settings.section:printers", "refresh"});
    EXPECT_EQ(refresh.status, 0) << refresh.err;
    EXPECT_EQ(trimmed(refresh.out), "Printer operation completed.");
  }
  const auto started = std::chrono::steady_clock::now();
  auto discover = app.tool({"--timeout", "20", "invoke", "settings.section:printers", "discover"});
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(15));
  EXPECT_EQ(discover.status, 0) << discover.err;
  EXPECT_EQ(trimmed(discover.out), "Printer operation completed.");
  EXPECT_EQ(app.tool({"tree"}).status, 0);
}

// The page is built for the operation and has read nothing yet: the operation waits for the first
// reading and then acts on the queue it names.
TEST(PrintersEndToEnd, AQueueOperationReachesANewPageAndActsOnceTheQueuesAreRead) {
  FakePrinter office;
  office.name = "Office";
  auto server = IppStandIn::start({office}, std::string("Office"), {});
  if (!server) GTEST_SKIP() << "IPP stand-in unavailable: " << server.error();
  door_tests::OffscreenApp app;
  ASSERT_TRUE(app.start()) << app.process().err();
  auto pause = app.tool({"invoke", "settings.printer:Office", "pause"});
  EXPECT_EQ(pause.status, 0) << pause.err;
  EXPECT_EQ(trimmed(pause.out), "Printer operation completed.");
  const auto changes = (*server)->changes();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].attributes.at("printer-uri"), "ipp://localhost/printers/Office");
}

TEST(PrintersEndToEnd, WithoutAPrintingServiceARefreshFailsWithASentence) {
  ::setenv("CUPS_SERVER", "127.0.0.1:9", 1);  // nothing listens on the discard port
  door_tests::OffscreenApp app;
  ASSERT_TRUE(app.start()) << app.process().err();
  for (int round = 0; round < 2; ++round) {
    auto refresh = app.tool({"invoke", "settings.section:printers", "refresh"});
    EXPECT_EQ(refresh.status, 1);
    EXPECT_TRUE(refresh.err.starts_with("Printers: ")) << refresh.err;
  }
  EXPECT_EQ(app.tool({"tree"}).status, 0);
  ::unsetenv("CUPS_SERVER");
}

}  // namespace
}  // namespace settings::panes::printers
