// Opening a tool through its desktop entry; the Wi-Fi continuity backend without a broker.
#include "os_actions/tool_intent.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "desktop_entry/desktop_entry.h"
#include "os_actions/wifi_continuity.h"
#include "orvo_testing/scoped_env.h"
#include "temp_tree.h"

namespace {

using namespace std::chrono_literals;
using namespace os_actions::tool_intent;
using orvo_testing::ScopedEnv;

std::string read_when_written(const std::filesystem::path& path) {
  for (int i = 0; i < 500; ++i) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    if (text.str().ends_with("<end>\n")) return text.str();
    std::this_thread::sleep_for(10ms);
  }
  return {};
}

TEST(ExecArguments, SplitAsTheDesktopEntryRulesSay) {
  struct Case {
    std::string exec;
    std::optional<std::vector<std::string>> arguments;
  };
  using V = std::vector<std::string>;
  const Case cases[] = {
      {"vpn-studio %U", V{"vpn-studio"}},
      {"vpn-studio --open %f --icon=%i", V{"vpn-studio", "--open", "--icon="}},
      {"\"/opt/VPN Studio/bin/studio\" \"a \\\"b\\\" \\$c\" 100%%", V{"/opt/VPN Studio/bin/studio", "a \"b\" $c", "100%"}},
      {"  studio   --x  ", V{"studio", "--x"}},
      {"studio \"\"", V{"studio", ""}},
      {"studio \"unclosed", std::nullopt},
      {"%U", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(desktop_entry::exec_arguments(c.exec), c.arguments) << c.exec;
}

TEST(OpenTool, StartsTheEntrysProgramWithTheProfileAsOneArgument) {
  os_actions_testing::TempTree tree;
  const auto out = tree.root() / "arguments.txt";
  const auto script = tree.write("bin/vpn studio",
                                 "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > '" + out.string() +
                                     ".part'\necho '<end>' >> '" + out.string() + ".part'\nmv '" + out.string() +
                                     ".part' '" + out.string() + "'\n");
  ::chmod(script.c_str(), 0755);
  ScopedEnv home("XDG_DATA_HOME", (tree.root() / "data").string());
  ScopedEnv dirs("XDG_DATA_DIRS", (tree.root() / "none").string());

  EXPECT_EQ(open_tool({Tool::VpnStudio, std::nullopt}).error(), "VPN Studio is not installed");

  tree.write("data/applications/so.orvo.VpnStudio.desktop",
             "[Desktop Entry]\nType=Application\nName=VPN Studio\nExec=\"" + script.string() + "\" --profile %U\n");
  const std::string profile = "Office \"HQ\" VPN; $HOME";
  ASSERT_TRUE(open_tool({Tool::VpnStudio, profile}).has_value());
  EXPECT_EQ(read_when_written(out), "[--profile]\n[" + profile + "]\n<end>\n");

  std::filesystem::remove(out);
  ASSERT_TRUE(open_tool({Tool::VpnStudio, std::nullopt}).has_value());
  EXPECT_EQ(read_when_written(out), "[--profile]\n<end>\n");

  tree.write("data/applications/so.orvo.VpnStudio.desktop",
             "[Desktop Entry]\nType=Application\nName=VPN Studio\nExec=/nonexistent/studio\n");
  EXPECT_EQ(open_tool({Tool::VpnStudio, std::nullopt}).error(),
            "VPN Studio could not be started: /nonexistent/studio was not found");
  tree.write("data/applications/so.orvo.VpnStudio.desktop",
             "[Desktop Entry]\nType=Application\nName=VPN Studio\nExec=studio\nHidden=true\n");
  EXPECT_EQ(open_tool({Tool::VpnStudio, std::nullopt}).error(), "VPN Studio is not installed");
}

TEST(OpenTool, OpensAWorkspacePageWithItsPageNumber) {
  os_actions_testing::TempTree tree;
  const auto out = tree.root() / "arguments.txt";
  const auto script = tree.write("bin/workspace", "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > '" +
                                                      out.string() + ".part'\necho '<end>' >> '" + out.string() +
                                                      ".part'\nmv '" + out.string() + ".part' '" + out.string() + "'\n");
  ::chmod(script.c_str(), 0755);
  ScopedEnv home("XDG_DATA_HOME", (tree.root() / "data").string());
  ScopedEnv dirs("XDG_DATA_DIRS", (tree.root() / "none").string());
  EXPECT_EQ(open_tool(workspace_page(3)).error(), "Workspace Settings is not installed");
  tree.write("data/applications/so.orvo.WorkspaceSettings.desktop",
             "[Desktop Entry]\nType=Application\nName=Workspace Settings\nExec=" + script.string() + " %U\n");
  ASSERT_TRUE(open_tool(workspace_page(3)).has_value());
  EXPECT_EQ(read_when_written(out), "[--page=3]\n<end>\n");
}

TEST(WifiContinuity, WithoutABrokerEveryRequestAnswersUnavailable) {
  using namespace os_actions::continuity;
  const WifiContinuityBackend backend;
  const WifiContinuityRequest requests[] = {LookUp{"Home", 0}, Seal{"Home", orvo_secret::SecretString("pw"), 1},
                                            ShareProfile{"Home"}};
  for (const auto& request : requests) {
    const auto reply = backend.command(request);
    ASSERT_FALSE(reply.has_value());
    EXPECT_EQ(reply.error(), "Wi-Fi continuity service is unavailable");
  }
}

}  // namespace
