// 10,000 puts and 10,000 typed reads of a settings document, committed as one change; target
// under 2 ms in all.
//
// FreshDocument starts from an empty document every time, so it also pays for growing the key
// index and for the allocator handing memory back to the system between iterations (page faults
// are most of its time on a virtual machine). WarmDocument is what a pane's sync sees: the keys
// exist and every put replaces a value.
#include "lib/settings_document.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

constexpr int kEntries = 10'000;

const std::vector<std::string>& keys() {
  static const std::vector<std::string> all = [] {
    std::vector<std::string> k;
    k.reserve(kEntries);
    for (int i = 0; i < kEntries; ++i) k.push_back("pane.control." + std::to_string(i));
    return k;
  }();
  return all;
}

void put_and_read_all(orvo_doc::Document& doc, double offset) {
  for (int i = 0; i < kEntries; ++i) {
    (void)doc.put(orvo_doc::kRoot, keys()[i], orvo_doc::ScalarValue::f64(i * 0.5 + offset));
  }
  double sum = 0;
  for (const auto& key : keys()) sum += settings::lib::read_f64(doc, orvo_doc::kRoot, key).value_or(0);
  benchmark::DoNotOptimize(sum);
  benchmark::DoNotOptimize(doc.commit());
}

void PutsAndReadsFreshDocument(benchmark::State& state) {
  for (auto _ : state) {
    orvo_doc::Document doc;
    put_and_read_all(doc, 0);
  }
}
BENCHMARK(PutsAndReadsFreshDocument)->Unit(benchmark::kMillisecond);

void PutsAndReadsWarmDocument(benchmark::State& state) {
  orvo_doc::Document doc;
  put_and_read_all(doc, 0);
  double offset = 0;
  for (auto _ : state) put_and_read_all(doc, ++offset);
}
BENCHMARK(PutsAndReadsWarmDocument)->Unit(benchmark::kMillisecond);

// Every key already holds its value, so compare-then-write records nothing.
void UnchangedCompareThenWrite(benchmark::State& state) {
  orvo_doc::Document doc;
  for (int i = 0; i < kEntries; ++i) (void)doc.put(orvo_doc::kRoot, keys()[i], orvo_doc::ScalarValue::boolean(i % 2 == 0));
  doc.commit();
  for (auto _ : state) {
    int written = 0;
    for (int i = 0; i < kEntries; ++i) {
      written += settings::lib::put_if_changed(doc, orvo_doc::kRoot, keys()[i],
                                               orvo_doc::ScalarValue::boolean(i % 2 == 0))
                     .value_or(true);
    }
    benchmark::DoNotOptimize(written);
  }
}
BENCHMARK(UnchangedCompareThenWrite)->Unit(benchmark::kMillisecond);

}  // namespace
