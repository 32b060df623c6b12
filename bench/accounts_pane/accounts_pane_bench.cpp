// The accounts pane's two hot moments: its pass with nothing pressed, which runs every frame while
// the page is shown (200 accounts; target under 100 µs), and a rebuild of the page with its layout,
// drawing and rendering in a 1280x800 offscreen window (50 accounts; target under 5 ms).
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <optional>

#include "accounts/secret_vault.h"
#include "accounts/store_access.h"
#include "frame_loop.h"
#include "offscreen_backend.h"
#include "panes/accounts/accounts_pane.h"

namespace {

using settings::panes::accounts::AccountsPane;

// A temporary accounts root holding `count` WebDAV accounts, every second one with a credential.
class AccountsRoot {
 public:
  explicit AccountsRoot(int count) {
    char pattern[] = "/tmp/orvo-accounts-bench-XXXXXX";
    root_ = ::mkdtemp(pattern);
    ::accounts::AccountStore store;
    auto vault = settings::accounts::open_secret_vault(root_);
    for (int i = 0; i < count; ++i) {
      const std::string id = "webdav-" + std::to_string(i);
      auto account = ::accounts::Account::make(id, "webdav");
      account.display_name = "Files " + std::to_string(i);
      account.config = {{"id", id},
                        {"label", account.display_name},
                        {"base_url", "https://dav.example.org/files/" + std::to_string(i)},
                        {"username", "ada"},
                        {"enabled", true},
                        {"tint", 0}};
      store.upsert(account);
      if (i % 2 == 0) vault.put(id, {orvo_secret::SecretString("secret"), std::nullopt});
    }
    (void)settings::accounts::save_account_store(root_, store);
    (void)vault.try_save();
  }
  ~AccountsRoot() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  const std::filesystem::path& path() const { return root_; }

 private:
  ::accounts::vault::LocalKeyOnly local_key_only_;
  std::filesystem::path root_;
};

void BM_SyncNothingPressed(benchmark::State& state) {
  AccountsRoot root(static_cast<int>(state.range(0)));
  AccountsPane pane = AccountsPane::load(root.path());
  orvo_ui::SyncContext context;
  for (auto _ : state) pane.sync(context);
}
BENCHMARK(BM_SyncNothingPressed)->Arg(200)->Unit(benchmark::kMicrosecond);

void BM_PageRebuild(benchmark::State& state) {
  AccountsRoot root(static_cast<int>(state.range(0)));
  settings::settings_app::AccountsRequestCell requests{std::nullopt};
  AccountsPane pane = AccountsPane::load(root.path()).with_accounts_request(requests);
  orvo_ui::OffscreenBackend backend(1280, 800);
  orvo_ui::App app;
  orvo_ui::FrameLoop loop(backend, pane, app, orvo_ui::TextRenderer::Metrics::Fonts);
  loop.frame(backend.take_events());
  using Request = settings::settings_app::AccountsRequest;
  for (auto _ : state) {
    // Closing the (closed) replacement form marks the page for a rebuild.
    (void)requests.publish(Request{Request::CancelReauthentication{}});
    loop.frame(backend.take_events());
  }
}
BENCHMARK(BM_PageRebuild)->Arg(50)->Unit(benchmark::kMillisecond);

}  // namespace
