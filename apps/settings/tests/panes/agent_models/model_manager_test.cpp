#include "services/model_manager.h"

#include <gtest/gtest.h>

#include <csignal>

#include "agent_models/model_stub.h"
#include "harness/pane_home.h"

namespace settings::panes::agent_models {
namespace {

using testing::ModelManagerStub;
using testing::PaneHome;
using Args = std::vector<std::string>;

constexpr std::string_view kOneReadyModel = R"({"hardware":{"fit":"good","memory_gib":32,"accelerator":"none",
"reason":"Enough memory."},"models":[{"package":{"id":"tiny-2.5","name":"Tiny","description":"Small.",
"source":"s","revision":"r7","license":"MIT","license_url":"u","download_bytes":1,"installed_bytes":2},
"phase":{"state":"ready","running":false}}]})";

class ModelManagerTest : public ::testing::Test {
 protected:
  PaneHome home_;
  ModelManagerStub stub_{home_.root() / "stubs"};
  SystemModelManager manager_;
};

TEST_F(ModelManagerTest, CommandLines) {
  LocalModelPackage package;
  package.id = "tiny-2.5";
  package.revision = "sha256:ab cd";
  ASSERT_TRUE(manager_.install(package).has_value());
  EXPECT_EQ(stub_.arguments(),
            (Args{"install", "--model", "tiny-2.5", "--revision", "sha256:ab cd", "--accept-license"}));
  ASSERT_TRUE(manager_.start("my model 2").has_value());
  EXPECT_EQ(stub_.arguments(), (Args{"start", "--model", "my model 2"}));
  ASSERT_TRUE(manager_.stop("tiny").has_value());
  EXPECT_EQ(stub_.arguments(), (Args{"stop", "--model", "tiny"}));
  ASSERT_TRUE(manager_.remove("tiny").has_value());
  EXPECT_EQ(stub_.arguments(), (Args{"remove", "--model", "tiny"}));
  ASSERT_TRUE(manager_.stage_accelerator().has_value());
  EXPECT_EQ(stub_.arguments(), (Args{"stage-accelerator"}));
  stub_.answer(kOneReadyModel);
  auto snapshot = manager_.snapshot();
  ASSERT_TRUE(snapshot.has_value()) << snapshot.error();
  EXPECT_EQ(stub_.arguments(), (Args{"snapshot", "--format", "json"}));
  ASSERT_EQ(snapshot->models.size(), 1u);
  EXPECT_EQ(snapshot->models[0].package.id, "tiny-2.5");
  EXPECT_EQ(model_snapshot(), snapshot);
}

TEST_F(ModelManagerTest, RefusalsByExitStatusOrSignal) {
  const LocalModelPackage package;
  for (const bool by_signal : {false, true}) {
    stub_.answer("", 3, "  no such model\n");
    if (by_signal) stub_.die_by_signal(SIGTERM);
    EXPECT_EQ(manager_.install(package).error(), "model service refused the installation");
    EXPECT_EQ(manager_.start("m").error(), "model service refused start");
    EXPECT_EQ(manager_.stop("m").error(), "model service refused stop");
    EXPECT_EQ(manager_.remove("m").error(), "model service refused remove");
    EXPECT_EQ(manager_.stage_accelerator().error(), "accelerator setup service refused the request");
    EXPECT_EQ(manager_.snapshot().error(), "no such model");
  }
}

TEST_F(ModelManagerTest, SnapshotErrors) {
  stub_.answer("");
  const auto empty = manager_.snapshot();
  ASSERT_FALSE(empty.has_value());
  EXPECT_TRUE(empty.error().starts_with("model service returned invalid status: EOF while parsing")) << empty.error();

  stub_.answer(kOneReadyModel, 1, "  first\r\nsecond   ");
  EXPECT_EQ(manager_.snapshot().error(), "first\nsecond");

  stub_.answer("", 1, "");
  EXPECT_EQ(manager_.snapshot().error(), "");

  std::string long_error;
  for (int i = 0; i < 2000; ++i) {
    long_error += static_cast<char>('a' + i % 26);
    if (i % 10 == 0) long_error += "\x01\x1b";
  }
  stub_.answer("", 1, long_error);
  const std::string cut = manager_.snapshot().error();
  EXPECT_EQ(cut.size(), 512u);
  EXPECT_EQ(cut.find('\x01'), std::string::npos);
}

TEST_F(ModelManagerTest, MissingProgramIsUnavailable) {
  stub_.uninstall();
  for (const auto& error : {manager_.snapshot().error(), manager_.start("m").error(),
                            manager_.install(LocalModelPackage{}).error(), manager_.stage_accelerator().error()}) {
    EXPECT_TRUE(error.starts_with("model service is unavailable: ")) << error;
  }
}

}  // namespace
}  // namespace settings::panes::agent_models
