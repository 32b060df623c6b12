// The Disks and Backups tools: the first installed entry of each tool's list is the one opened.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

#include "os_actions/tool_intent.h"
#include "orvo_testing/scoped_env.h"
#include "temp_tree.h"

namespace {

using namespace std::chrono_literals;
using namespace os_actions::tool_intent;
using orvo_testing::ScopedEnv;

bool appears(const std::filesystem::path& path) {
  for (int i = 0; i < 500 && !std::filesystem::exists(path); ++i) std::this_thread::sleep_for(10ms);
  return std::filesystem::exists(path);
}

TEST(StorageTools, EachToolOpensTheFirstInstalledEntryOfItsList) {
  os_actions_testing::TempTree tree;
  ScopedEnv home("XDG_DATA_HOME", (tree.root() / "data").string());
  ScopedEnv dirs("XDG_DATA_DIRS", (tree.root() / "none").string());
  EXPECT_EQ(open_tool(ToolIntent(Tool::Disks)).error(), "Disks is not installed");
  EXPECT_EQ(open_tool(ToolIntent(Tool::Backups)).error(), "Backups is not installed");

  struct Case {
    Tool tool;
    std::string second_entry;
  };
  for (const auto& [tool, entry] : {Case{Tool::Disks, "so.orvo.DiskUtility"}, Case{Tool::Backups, "so.orvo.BackupTool"}}) {
    const auto marker = tree.root() / (entry + ".opened");
    const auto script = tree.script("bin/" + entry, "touch '" + marker.string() + "'");
    tree.write("data/applications/" + entry + ".desktop",
               "[Desktop Entry]\nType=Application\nName=Tool\nExec=" + script.string() + "\n");
    ASSERT_TRUE(open_tool(ToolIntent(tool)).has_value()) << entry;
    EXPECT_TRUE(appears(marker)) << entry;
  }
}

}  // namespace
