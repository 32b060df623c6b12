// Decoding the local model manager's snapshot: the Agent Models pane decodes one at least every
// 750 ms while a download runs. Target: a snapshot of 64 models under 200 µs.
#include <benchmark/benchmark.h>

#include <string>

#include "services/local_models.h"

namespace {

std::string snapshot_of(int count) {
  std::string text = R"({"hardware":{"fit":"good","memory_gib":64,"accelerator":"discrete GPU",)"
                     R"("accelerator_memory_gib":16,"free_storage_gib":500,"reason":"Enough memory for mid-sized models."},)"
                     R"("recommendation":null,"models":[)";
  static constexpr const char* kPhases[] = {
      R"({"state":"downloading","downloaded_bytes":1234567890,"total_bytes":4294967296})",
      R"({"state":"installing","percent":40,"message":"Unpacking weights"})",
      R"({"state":"ready","running":true,"endpoint":{"url":"http://127.0.0.1:8000/v1","model_id":"model-ID"}})",
      R"({"state":"error","message":"checksum mismatch"})"};
  for (int i = 0; i < count; ++i) {
    if (i > 0) text += ',';
    const std::string id = "model-" + std::to_string(i);
    text += R"({"package":{"id":")" + id + R"(","name":"Model )" + std::to_string(i) +
            R"(","description":"A general model for chat and tools.","source":"https://models.example/)" + id +
            R"(","revision":"sha256:0123456789abcdef0123456789abcdef","license":"Apache-2.0",)"
            R"("license_url":"https://models.example/license","download_bytes":4294967296,"installed_bytes":8589934592,)"
            R"("vision":true,"face_recognition":false},"phase":)" + kPhases[i % 4] + "}";
  }
  return text + R"(],"accelerator_setup":{"boot_pack_id":"pack-1","status":{"state":"active"}}})";
}

void DecodeSnapshot64(benchmark::State& state) {
  const std::string text = snapshot_of(64);
  for (auto _ : state) {
    auto snapshot = settings::panes::agent_models::decode_snapshot(text);
    if (!snapshot || snapshot->models.size() != 64) state.SkipWithError("snapshot did not decode");
    benchmark::DoNotOptimize(snapshot);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(DecodeSnapshot64)->Unit(benchmark::kMicrosecond);

}  // namespace

