#include "orvo_runtime/named_thread.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <future>

namespace {

TEST(NamedThread, NamesAreCutToWhatTheKernelKeeps) {
  struct Case {
    std::string_view name;
    std::string_view kept;
  };
  for (const Case& c : {Case{"orvo-printer", "orvo-printer"}, Case{"orvo-update-check", "orvo-update-che"},
                        Case{"settings-display-probe", "settings-displa"},
                        // "é" is two bytes at positions 14 and 15: it is dropped whole.
                        Case{"settings-brigh\xC3\xA9-apply", "settings-brigh"}}) {
    EXPECT_EQ(orvo_runtime::fit_thread_name(c.name), c.kept) << c.name;
  }
}

TEST(NamedThread, WorkerCarriesItsNameAndRuns) {
  std::promise<std::string> seen;
  auto future = seen.get_future();
  {
    auto worker = orvo_runtime::spawn_named("settings-brightness-apply", [&] {
      char name[32] = {};
      pthread_getname_np(pthread_self(), name, sizeof name);
      seen.set_value(name);
    });
  }
  EXPECT_EQ(future.get(), "settings-bright");
}

}  // namespace
