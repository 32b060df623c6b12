// The system media queries against stand-ins: a `pw-dump` script on PATH and a display snapshot in
// a temporary runtime directory. A sound server or compositor that answers badly gives an empty
// list, never an error or a half-read one.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "catalogues/resource_tree.h"
#include "catalogues/queries/media_queries.h"
#include "fake_media.h"
#include "orvo_runtime/system_paths.h"

namespace settings::actions {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class StandIns : public ::testing::Test {
 protected:
  StandIns() {
    char pattern[] = "/tmp/orvo-media-XXXXXX";
    root_ = ::mkdtemp(pattern);
    fs::create_directories(root_ / "bin");
    fs::create_directories(root_ / "run-user/orvo");
    saved_path_ = std::getenv("PATH");
    ::setenv("PATH", (root_ / "bin").c_str(), 1);
    paths_.emplace(root_, std::nullopt, root_ / "run-user");
  }
  ~StandIns() override {
    paths_.reset();
    ::setenv("PATH", saved_path_.c_str(), 1);
    fs::remove_all(root_);
  }

  void pw_dump(std::string_view body) {
    const fs::path script = root_ / "bin/pw-dump";
    std::ofstream(script) << "#!/bin/sh\n" << body << "\n";
    fs::permissions(script, fs::perms::owner_all);
  }
  void snapshot(std::string_view json) { std::ofstream(root_ / "run-user/orvo/display-hardware.json") << json; }

 private:
  fs::path root_;
  std::string saved_path_;
  std::optional<system_paths::ScopedOverride> paths_;
};

TEST_F(StandIns, ReadsTheSoundServersGraph) {
  // Only the stand-in is on PATH, so the script sticks to shell builtins.
  pw_dump(R"(echo '[{"id": 52, "type": "PipeWire:Interface:Node", "info": {"props": {"media.class": "Audio/Sink",
 "node.name": "alsa_output.analog", "node.description": "Built-in Audio"}}}]')");
  const auto graph = system_media_queries().audio_graph();
  ASSERT_EQ(graph.sinks.size(), 1u);
  EXPECT_EQ(graph.sinks[0].description, "Built-in Audio");

  const orvo_doc::Document document;
  const preferences::Preferences preferences;
  const auto sound = build_settings_actions(settings_app::SettingsSection::Sound,
                                            {document, preferences, {}, system_queries()});
  EXPECT_THAT(testing::child_ids(sound), ElementsAre("settings.audio-output:52"));
}

TEST_F(StandIns, ASoundServerThatFailsOrTalksNonsenseGivesAnEmptyGraph) {
  for (const char* body : {"echo 'connection refused' >&2; exit 1", "echo 'not json'"}) {
    pw_dump(body);
    const auto graph = system_media_queries().audio_graph();
    EXPECT_THAT(graph.sinks, IsEmpty()) << body;
    EXPECT_THAT(graph.playback_streams, IsEmpty()) << body;
  }
}

TEST_F(StandIns, ReadsTheDisplaySnapshotAndGivesNoOutputsForABadOne) {
  snapshot(R"({"outputs": [{"connector": "DP-1", "display_name": "Dell U2720Q"}]})");
  const auto outputs = system_media_queries().display_snapshot().outputs;
  ASSERT_EQ(outputs.size(), 1u);
  EXPECT_EQ(outputs[0].connector, "DP-1");

  snapshot(R"({"outputs": [{"connector": 7}]})");
  EXPECT_THAT(system_media_queries().display_snapshot().outputs, IsEmpty());
}

}  // namespace
}  // namespace settings::actions
