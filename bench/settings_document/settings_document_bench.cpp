// A pane's sync reads every control key and writes the changed ones: 10,000 puts followed by
// 10,000 typed reads and a commit should stay well under 2 ms in all.
#include "lib/settings_document.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

constexpr int kEntries = 10'000;

std::vector<std::string> make_keys() {
  std::vector<std::string> keys;
  keys.reserve(kEntries);
  for (int i = 0; i < kEntries; ++i) keys.push_back("pane.control." + std::to_string(i));
  return keys;
}

void PutsAndReads(benchmark::State& state) {
  const auto keys = make_keys();
  for (auto _ : state) {
    orvo_doc::Document doc;
    for (int i = 0; i < kEntries; ++i) {
      (void)doc.put(orvo_doc::kRoot, keys[i], orvo_doc::ScalarValue::f64(i * 0.5));
    }
    double sum = 0;
    for (const auto& key : keys) sum += settings::lib::read_f64(doc, orvo_doc::kRoot, key).value_or(0);
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(doc.commit());
  }
}
BENCHMARK(PutsAndReads)->Unit(benchmark::kMillisecond);

// The steady state of a pane: every key already holds its value and compare-then-write finds
// nothing to do, so no change is recorded.
void UnchangedCompareThenWrite(benchmark::State& state) {
  const auto keys = make_keys();
  orvo_doc::Document doc;
  for (int i = 0; i < kEntries; ++i) (void)doc.put(orvo_doc::kRoot, keys[i], orvo_doc::ScalarValue::boolean(i % 2 == 0));
  doc.commit();
  for (auto _ : state) {
    int written = 0;
    for (int i = 0; i < kEntries; ++i) {
      written += settings::lib::put_if_changed(doc, orvo_doc::kRoot, keys[i], orvo_doc::ScalarValue::boolean(i % 2 == 0))
                     .value_or(true);
    }
    benchmark::DoNotOptimize(written);
  }
}
BENCHMARK(UnchangedCompareThenWrite)->Unit(benchmark::kMillisecond);

}  // namespace
