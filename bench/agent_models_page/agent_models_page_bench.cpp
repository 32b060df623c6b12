// The Agent Models page rebuilt, laid out and drawn at 1280x800 with ten installed models and ten
// providers, against a stand-in model manager on PATH. The page first waits, frame by frame, for
// its snapshot and the vault's answers, both read on workers; each rebuild then reads the provider
// list and builds the providers' part of the Agent Models resource, and runs no program. Target:
// under 15 ms.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <fmt/format.h>

#include "agent_provider_config/provider_config.h"
#include "frame_loop.h"
#include "offscreen_backend.h"
#include "orvo_runtime/system_paths.h"
#include "panes/agent_models/agent_models_pane.h"

namespace {

using namespace orvo_ui;
using namespace settings::panes::agent_models;

std::string snapshot_json() {
  std::string models;
  const char* phases[] = {R"({"state":"ready","running":true})", R"({"state":"ready","running":false})",
                          R"({"state":"downloading","downloaded_bytes":1610612736,"total_bytes":3221225472})",
                          R"({"state":"installing","percent":40,"message":"Verifying files"})",
                          R"({"state":"error","message":"checksum mismatch"})"};
  for (int i = 0; i < 10; ++i) {
    if (i > 0) models += ",";
    models += fmt::format(
        R"({{"package":{{"id":"model-{0}","name":"Model {0}","description":"A compact model.","source":"hf.example/m{0}",)"
        R"("revision":"r{0}","license":"Apache-2.0","license_url":"https://licenses.example/a","download_bytes":3221225472,)"
        R"("installed_bytes":4294967296}},"phase":{1}}})",
        i, phases[i % 5]);
  }
  return fmt::format(
      R"({{"hardware":{{"fit":"good","memory_gib":32,"accelerator":"Integrated GPU","accelerator_memory_gib":8,)"
      R"("free_storage_gib":120,"reason":"Enough memory."}},"recommendation":{{"id":"rec","name":"Recommended",)"
      R"("description":"Small.","source":"s","revision":"r1","license":"MIT","license_url":"u","download_bytes":1,)"
      R"("installed_bytes":2}},"models":[{}],"accelerator_setup":{{"boot_pack_id":"pack","status":{{"state":"active"}}}}}})",
      models);
}

// A temporary root with the stand-in manager first on PATH and ten stored providers.
class Home {
 public:
  Home() {
    char pattern[] = "/tmp/orvo-models-bench-XXXXXX";
    root_ = ::mkdtemp(pattern);
    std::filesystem::create_directories(root_ / "config");
    std::filesystem::create_directories(root_ / "runtime");
    std::filesystem::create_directories(root_ / "bin");
    paths_.emplace(root_, root_ / "config", root_ / "runtime", root_ / "data");
    std::ofstream(root_ / "snapshot.json") << snapshot_json();
    const auto manager = root_ / "bin" / "orvo-model-manager";
    std::ofstream(manager) << "#!/bin/sh\n[ \"$1\" = snapshot ] && exec /bin/cat '" << (root_ / "snapshot.json").string()
                           << "'\nexit 0\n";
    std::filesystem::permissions(manager, std::filesystem::perms::owner_all);
    saved_path_ = ::getenv("PATH") ? ::getenv("PATH") : "";
    ::setenv("PATH", (root_ / "bin").c_str(), 1);

    agent_provider_config::ProviderConfig config;
    for (int i = 0; i < 10; ++i) {
      agent_provider_config::ProviderProfile profile;
      profile.id = fmt::format("provider-{}", i);
      profile.label = fmt::format("Provider {}", i);
      profile.endpoint = fmt::format("https://p{}.example/v1", i);
      profile.protocol = i % 2 ? agent_provider_config::ProviderProtocol::Anthropic
                               : agent_provider_config::ProviderProtocol::OpenAiCompatible;
      profile.enabled = i % 3 != 0;
      if (i % 2 == 0) {
        profile.models.push_back(agent_provider_config::ModelDescriptor::named("m"));
        profile.model = "m";
      }
      config.profiles.push_back(std::move(profile));
    }
    config.default_provider = "provider-0";
    (void)config.save();
  }
  ~Home() {
    ::setenv("PATH", saved_path_.c_str(), 1);
    paths_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

 private:
  std::filesystem::path root_;
  std::string saved_path_;
  std::optional<system_paths::ScopedOverride> paths_;
};

void BM_AgentModelsPageRebuild(benchmark::State& state) {
  Home home;
  AgentModelsPane pane = AgentModelsPane::with_backend(std::make_shared<SystemModelManager>());
  OffscreenBackend backend(1280, 800);
  App app;
  FrameLoop loop(backend, pane, app, TextRenderer::Metrics::Fonts);
  loop.frame(backend.take_events());
  // Models downloading keep the page polling, so a later read may be running at any time.
  for (int i = 0; i < 2000 && (!pane.loaded() || pane.vault_jobs_running()); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    loop.frame(backend.take_events());
  }
  loop.frame(backend.take_events());
  if (!pane.loaded() || pane.snapshot().models.size() != 10) {
    state.SkipWithError("the stand-in manager gave no snapshot");
    return;
  }
  for (auto _ : state) {
    // A notice marks the page for rebuilding; the frame builds, lays out and draws it.
    (void)pane.notice_cell().publish(std::string("Provider details saved."));
    loop.frame(backend.take_events());
  }
  benchmark::DoNotOptimize(backend.frame());
}
BENCHMARK(BM_AgentModelsPageRebuild)->Unit(benchmark::kMillisecond);

}  // namespace
