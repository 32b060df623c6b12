#include "services/local_models.h"

#include <gtest/gtest.h>

namespace settings::panes::agent_models {
namespace {

constexpr std::string_view kHardware =
    R"({"fit":"good","memory_gib":32,"accelerator":"integrated GPU","accelerator_memory_gib":null,"reason":"Enough memory."})";

std::string snapshot_with_hardware(std::string_view hardware) {
  return std::string(R"({"hardware":)") + std::string(hardware) + "}";
}

std::string package(std::string_view extra = "", bool with_revision = true) {
  std::string out =
      R"({"id":"tiny-2.5","name":"Tiny","description":"Small.","source":"https://models.example/tiny",)";
  if (with_revision) out += R"("revision":"r7",)";
  out += R"("license":"Apache-2.0","license_url":"https://example/license","download_bytes":1000,"installed_bytes":2000)";
  out += extra;
  return out + "}";
}

std::string snapshot_with_phase(std::string_view phase) {
  return R"({"hardware":)" + std::string(kHardware) + R"(,"models":[{"package":)" + package() +
         R"(,"phase":)" + std::string(phase) + "}]}";
}

LocalModelPhase phase_of(std::string_view phase_json) {
  auto snapshot = decode_snapshot(snapshot_with_phase(phase_json));
  EXPECT_TRUE(snapshot.has_value()) << phase_json << ": " << (snapshot ? "" : snapshot.error());
  return snapshot ? snapshot->models.at(0).phase : LocalModelPhase{};
}

TEST(LocalModelRecords, OnlyHardwareReadsWithDefaults) {
  auto snapshot = decode_snapshot(snapshot_with_hardware(kHardware));
  ASSERT_TRUE(snapshot.has_value()) << snapshot.error();
  EXPECT_FALSE(snapshot->recommendation.has_value());
  EXPECT_TRUE(snapshot->models.empty());
  EXPECT_FALSE(snapshot->accelerator_setup.has_value());
  EXPECT_EQ(snapshot->hardware.fit, HardwareFit::Good);
  EXPECT_EQ(snapshot->hardware.memory_gib, 32);
  EXPECT_FALSE(snapshot->hardware.accelerator_memory_gib.has_value());
}

struct DecodeCase {
  std::string name;
  std::string text;
  std::string error;  // a part of the message; empty when the text reads
};

TEST(LocalModelRecords, DecodeTable) {
  const std::string hw70000 = R"({"fit":"good","memory_gib":70000,"accelerator":"x","reason":"y"})";
  const std::string hw_negative = R"({"fit":"good","memory_gib":-1,"accelerator":"x","reason":"y"})";
  const std::vector<DecodeCase> cases = {
      {"memory too large", snapshot_with_hardware(hw70000), "70000"},
      {"memory negative", snapshot_with_hardware(hw_negative), "-1"},
      {"unknown fit", snapshot_with_hardware(R"({"fit":"great","memory_gib":1,"accelerator":"x","reason":"y"})"),
       "unknown variant `great`"},
      {"no revision", R"({"hardware":)" + std::string(kHardware) + R"(,"recommendation":)" + package("", false) + "}",
       "missing field `revision`"},
      {"duplicate", R"({"hardware":)" + std::string(kHardware) + R"(,"hardware":)" + std::string(kHardware) + "}",
       "duplicate field `hardware`"},
      {"unknown state", snapshot_with_phase(R"({"state":"paused"})"),
       "unknown variant `paused`, expected one of `downloading`, `installing`, `ready`, `error`"},
      {"no state", snapshot_with_phase(R"({"running":true})"), "missing field `state`"},
      {"short array", R"([)" + std::string(kHardware) + "]", "struct LocalModelSnapshot with 4 elements"},
      {"long array", R"([)" + std::string(kHardware) + ",null,[],null,1]", "trailing"},
      {"array of two", R"([)" + std::string(kHardware) + ",null]", ""},
      {"array of four", R"([)" + std::string(kHardware) + R"(,null,[],{"boot_pack_id":"p","status":["queued"]}])", ""},
      {"empty", "", "EOF while parsing"},
  };
  for (const auto& c : cases) {
    auto result = decode_snapshot(c.text);
    if (c.error.empty()) {
      EXPECT_TRUE(result.has_value()) << c.name << ": " << (result ? "" : result.error());
    } else {
      ASSERT_FALSE(result.has_value()) << c.name;
      EXPECT_NE(result.error().find(c.error), std::string::npos) << c.name << ": " << result.error();
    }
  }
}

TEST(LocalModelRecords, CapabilityFlagsDefaultToFalse) {
  auto snapshot = decode_snapshot(R"({"hardware":)" + std::string(kHardware) + R"(,"recommendation":)" + package() + "}");
  ASSERT_TRUE(snapshot.has_value()) << snapshot.error();
  ASSERT_TRUE(snapshot->recommendation.has_value());
  EXPECT_FALSE(snapshot->recommendation->vision);
  EXPECT_FALSE(snapshot->recommendation->face_recognition);
  EXPECT_EQ(snapshot->recommendation->revision, "r7");
}

TEST(LocalModelRecords, AcceleratorStateKeepsTagAndDropsExtraKeys) {
  auto snapshot = decode_snapshot(R"({"hardware":)" + std::string(kHardware) +
                                  R"(,"accelerator_setup":{"boot_pack_id":"pack-1","status":{"state":"queued","eta":5}}})");
  ASSERT_TRUE(snapshot.has_value()) << snapshot.error();
  ASSERT_TRUE(snapshot->accelerator_setup.has_value());
  EXPECT_TRUE(std::holds_alternative<accelerator::Queued>(snapshot->accelerator_setup->status));
  auto error_state = decode_snapshot(R"({"hardware":)" + std::string(kHardware) +
                                     R"(,"accelerator_setup":["p",["error","disk full"]]})");
  ASSERT_TRUE(error_state.has_value()) << error_state.error();
  EXPECT_EQ(error_state->accelerator_setup->status, AcceleratorSetupState(accelerator::Error{"disk full"}));
}

struct PhaseCase {
  std::string json;
  std::string label;
  std::optional<float> progress;
  std::vector<LocalModelAction> actions;
};

TEST(LocalModelRecords, PhaseLabelsProgressAndActions) {
  using A = LocalModelAction;
  const std::vector<PhaseCase> cases = {
      {R"({"state":"downloading","downloaded_bytes":50,"total_bytes":200})", "Downloading", 0.25f, {}},
      {R"({"state":"downloading","downloaded_bytes":50,"total_bytes":0})", "Downloading", std::nullopt, {}},
      {R"(["downloading",1,4])", "Downloading", 0.25f, {}},
      {R"({"state":"installing","message":"Verifying"})", "Installing", std::nullopt, {}},
      {R"({"state":"installing","percent":40,"message":"Unpacking"})", "Installing", 0.4f, {}},
      {R"({"state":"ready","running":false})", "Ready", std::nullopt, {A::Start, A::Remove}},
      {R"({"state":"ready","running":true,"endpoint":{"url":"http://127.0.0.1:8000/v1","model_id":"tiny-2.5"}})",
       "Running", std::nullopt, {A::Stop, A::Remove}},
      {R"({"state":"error","message":"checksum mismatch"})", "Needs attention", std::nullopt, {A::Retry, A::Remove}},
  };
  for (const auto& c : cases) {
    const LocalModelPhase phase = phase_of(c.json);
    EXPECT_EQ(phase_status_label(phase), c.label) << c.json;
    EXPECT_EQ(phase_progress(phase), c.progress) << c.json;
    EXPECT_EQ(phase_actions(phase), c.actions) << c.json;
  }
  const auto ready = phase_of(R"({"state":"ready","running":false})");
  EXPECT_FALSE(std::get<phase::Ready>(ready).endpoint.has_value());
  const auto installing = phase_of(R"({"state":"installing","message":"Verifying"})");
  EXPECT_FALSE(std::get<phase::Installing>(installing).percent.has_value());
}

TEST(LocalModelRecords, ControlIdsLabelsAndSizes) {
  EXPECT_EQ(local_model_control_id("tiny-2.5", LocalModelAction::Stop), "agent_models.local.tiny_2_5.stop");
  EXPECT_EQ(local_model_control_id("a.b/c", LocalModelAction::Retry), "agent_models.local.a_b_c.retry");
  EXPECT_EQ(local_model_control_id("caf\u00e9 7", LocalModelAction::Start), "agent_models.local.caf__7.start");
  EXPECT_EQ(label(LocalModelAction::Remove), "Remove\xE2\x80\xA6");
  EXPECT_EQ(id(LocalModelAction::Remove), "remove");
  EXPECT_EQ(label(LocalModelAction::Retry), "Retry install");
  EXPECT_EQ(format_gib(0), "0.0 GiB");
  EXPECT_EQ(format_gib(1'610'612'736), "1.5 GiB");
}

}  // namespace
}  // namespace settings::panes::agent_models
