// The shared worker bodies against stand-ins: what each reads, sends and wakes.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "harness/pane_home.h"
#include "orvo_ui/wake.h"
#include "panes/workers/account_check_worker.h"
#include "panes/workers/brightness_worker.h"
#include "panes/workers/storage_workers.h"
#include "panes/workers/update_workers.h"

namespace settings::panes::workers {
namespace {

using namespace std::chrono_literals;

// Counts the wakes that reach a loop.
class CountingLoop final : public orvo_ui::LoopSignal {
 public:
  CountingLoop() { orvo_ui::wake::install(this); }
  ~CountingLoop() override { orvo_ui::wake::install(nullptr); }
  void signal() override {
    ++count;
    orvo_ui::wake::clear_pending();
  }
  std::atomic<int> count{0};
};

struct OsName {
  std::string name;
};
struct Protection {
  std::optional<std::string> asked_with;
};
using CheckMessage = UpdateCheckMessage<OsName, Protection>;

TEST(UpdateWorkers, CallsInOrderSendOnceAndWake) {
  struct Case {
    std::string_view name;
    std::expected<void, std::string> check;
    std::optional<std::string> status;
    bool receiver_gone;
    std::vector<std::string> calls;
  };
  const std::vector<Case> cases = {
      {"a failing check sends only its error", std::unexpected(std::string("update service failed")), "idle", false,
       {"check"}},
      {"no status still asks for the rollback protection", {}, std::nullopt, false,
       {"check", "os_name", "status", "rollback:none"}},
      {"a status is passed on", {}, "staged", false, {"check", "os_name", "status", "rollback:staged"}},
      {"a pane that has gone drops the message", {}, "idle", true, {"check", "os_name", "status", "rollback:idle"}},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.name);
    CountingLoop loop;
    std::vector<std::string> calls;
    auto [sender, receiver] = orvo_runtime::make_channel<CheckMessage>(1);
    std::optional<orvo_runtime::Receiver<CheckMessage>> kept(std::move(receiver));
    if (row.receiver_gone) kept.reset();
    UpdateCheckCalls<OsName, Protection> collaborators{
        [&] {
          calls.push_back("check");
          return row.check;
        },
        [&] {
          calls.push_back("os_name");
          return OsName{"Orvo 42"};
        },
        [&] {
          calls.push_back("status");
          return row.status;
        },
        [&](const std::optional<std::string>& status) {
          calls.push_back("rollback:" + status.value_or("none"));
          return Protection{status};
        }};
    update_check_worker(std::move(sender), std::move(collaborators), orvo_ui::WakeHandle{});
    EXPECT_EQ(calls, row.calls);
    EXPECT_EQ(loop.count, 1) << "the loop is woken once, whoever listens";
    if (!kept) continue;
    auto message = kept->try_recv();
    ASSERT_TRUE(std::holds_alternative<CheckMessage>(message));
    const CheckMessage& sent = std::get<CheckMessage>(message);
    if (!row.check) {
      EXPECT_EQ(sent.error(), row.check.error());
    } else {
      ASSERT_TRUE(sent.has_value());
      EXPECT_EQ(sent->os_name.name, "Orvo 42");
      EXPECT_EQ(sent->status, row.status);
      EXPECT_EQ(sent->rollback_protection.asked_with, row.status);
    }
    EXPECT_EQ(std::get<orvo_runtime::TryRecvError>(kept->try_recv()), orvo_runtime::TryRecvError::Disconnected);
  }
}

TEST(UpdateWorkers, FirmwareRefreshSendsItsResultAndWakes) {
  CountingLoop loop;
  using Refreshed = std::expected<int, std::string>;
  auto [sender, receiver] = orvo_runtime::make_channel<Refreshed>(1);
  firmware_refresh_worker<Refreshed>(std::move(sender), [] { return Refreshed(3); }, orvo_ui::WakeHandle{});
  auto message = receiver.try_recv();
  ASSERT_TRUE(std::holds_alternative<Refreshed>(message));
  EXPECT_EQ(std::get<Refreshed>(message), Refreshed(3));
  EXPECT_EQ(loop.count, 1);
}

// A storage service stand-in: a listening socket that, once a connection comes, answers or not.
class StorageStandIn {
 public:
  enum class Mode { Echo, Silent };
  StorageStandIn(std::filesystem::path path, Mode mode) : path_(std::move(path)) {
    std::filesystem::create_directories(path_.parent_path());
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path_.c_str(), sizeof(address.sun_path) - 1);
    EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(::listen(fd_, 4), 0);
    if (mode == Mode::Echo) {
      server_ = std::thread([this] {
        const int client = ::accept(fd_, nullptr, nullptr);
        if (client < 0) return;
        ++accepted;
        char buffer[256];
        const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
        if (n > 0) (void)::send(client, buffer, static_cast<std::size_t>(n), MSG_NOSIGNAL);
        ::close(client);
      });
    }
  }
  ~StorageStandIn() {
    ::shutdown(fd_, SHUT_RDWR);
    ::close(fd_);
    if (server_.joinable()) server_.join();
  }
  std::atomic<int> accepted{0};

 private:
  std::filesystem::path path_;
  int fd_ = -1;
  std::thread server_;
};

// The stand-in exchange: sends a request line and reads the whole answer.
std::expected<std::string, std::string> exchange(StorageConnection& connection, std::string_view request) {
  auto written = connection.write_all(std::as_bytes(std::span(request)));
  if (!written) return std::unexpected(written.error());
  connection.finish_sending();
  std::string answer;
  std::byte buffer[256];
  for (;;) {
    auto got = connection.read_some(buffer);
    if (!got) return std::unexpected(got.error());
    if (*got == 0) return answer;
    answer.append(reinterpret_cast<const char*>(buffer), *got);
  }
}

using Outcome = std::expected<std::string, std::string>;

Outcome run_snapshot(const StorageSocketOptions& options) {
  auto [sender, receiver] = orvo_runtime::make_channel<Outcome>(1);
  storage_snapshot_worker<std::string>(std::move(sender), [](StorageConnection& c) { return exchange(c, "snapshot"); },
                                       options, orvo_ui::WakeHandle{});
  return std::get<Outcome>(receiver.try_recv());
}

Outcome run_evict(const StorageSocketOptions& options, std::vector<std::string> selections, std::size_t& seen) {
  auto [sender, receiver] = orvo_runtime::make_channel<Outcome>(1);
  storage_evict_worker<std::string, std::string>(
      std::move(sender), std::move(selections),
      [&seen](StorageConnection& c, std::vector<std::string> handed) {
        seen = handed.size();
        return exchange(c, "evict");
      },
      options, orvo_ui::WakeHandle{});
  return std::get<Outcome>(receiver.try_recv());
}

TEST(StorageWorkers, ConnectionFailuresTimeOutsAndAnEmptyEviction) {
  testing::PaneHome home;
  CountingLoop loop;
  std::size_t seen = 99;

  // No service: both bodies send the connection error's text, from the system's socket path.
  EXPECT_EQ(run_snapshot({}), Outcome(std::unexpected(std::string("No such file or directory"))));
  EXPECT_EQ(run_evict({}, {"a"}, seen), Outcome(std::unexpected(std::string("No such file or directory"))));
  EXPECT_EQ(seen, 99u) << "the exchange never ran";
  EXPECT_EQ(loop.count, 2);

  const auto socket = home.system(kStorageSocket);
  {
    StorageStandIn service(socket, StorageStandIn::Mode::Echo);
    EXPECT_EQ(run_evict({}, {}, seen), Outcome(std::string("evict")));
    EXPECT_EQ(seen, 0u);
    EXPECT_EQ(service.accepted, 1) << "an empty selection still connects";
  }
  std::filesystem::remove(socket);
  {
    StorageStandIn service(socket, StorageStandIn::Mode::Silent);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(run_snapshot({{}, 200ms}), Outcome(std::unexpected(std::string(kStorageTimedOut))));
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_GE(took, 150ms);
    EXPECT_LT(took, 5s);
  }
}

TEST(AccountCheckWorker, SendsTheOutcomeWipesTheCredentialAndWakes) {
  CountingLoop loop;
  std::string seen_password;
  auto check = std::make_shared<const std::function<account_probe::AccountCheckOutcome(
      const ::accounts::Account&, const orvo_secret::SecretString&)>>(
      [&](const ::accounts::Account& account, const orvo_secret::SecretString& password) {
        seen_password = std::string(password.view());
        return account_probe::AccountCheckOutcome::success("Signed in to " + account.id + ".");
      });
  ::accounts::Account account;
  account.id = "mail-1";
  orvo_secret::SecretString credential("s3cret password");
  auto [sender, receiver] = orvo_runtime::make_channel<account_probe::AccountCheckOutcome>(1);
  account_check_worker(std::move(sender), check, account, credential, orvo_ui::WakeHandle{});

  EXPECT_EQ(seen_password, "s3cret password");
  auto outcome = receiver.try_recv();
  ASSERT_TRUE(std::holds_alternative<account_probe::AccountCheckOutcome>(outcome));
  EXPECT_EQ(std::get<account_probe::AccountCheckOutcome>(outcome), account_probe::AccountCheckOutcome::success("Signed in to mail-1."));
  EXPECT_TRUE(credential.empty());
  const auto storage = credential.storage_for_testing();
  ASSERT_FALSE(storage.empty());
  EXPECT_TRUE(std::all_of(storage.begin(), storage.end(), [](char c) { return c == '\0'; }));
  EXPECT_EQ(loop.count, 1);
}

TEST(BrightnessWorker, AppliesInOrderSurvivesAGonePaneAndEndsWithItsSenders) {
  CountingLoop loop;
  std::vector<float> applied;
  auto [requests, request_receiver] = orvo_runtime::make_channel<float>(8);
  auto [replies, reply_receiver] = orvo_runtime::make_channel<BrightnessReply>(8);
  for (float percent : {30.0f, 101.0f, 55.0f}) ASSERT_TRUE(requests.send(percent));
  {
    auto gone = std::move(requests);  // every request sender gone: the worker ends after the queue
  }
  std::optional<orvo_runtime::Receiver<BrightnessReply>> pane(std::move(reply_receiver));
  std::thread worker([&, request_receiver = std::move(request_receiver), replies = std::move(replies)]() mutable {
    brightness_apply_worker(
        std::move(request_receiver), std::move(replies),
        [&](float percent) -> std::expected<void, std::string> {
          applied.push_back(percent);
          if (percent > 100) return std::unexpected(std::string("out of range"));
          if (applied.size() == 2) std::this_thread::sleep_for(10ms);
          return {};
        },
        orvo_ui::WakeHandle{});
  });
  auto first = pane->recv();
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(*first, BrightnessReply(0.3f));
  pane.reset();  // the pane goes; the worker drops its replies and keeps going
  worker.join();
  EXPECT_EQ(applied, (std::vector<float>{30.0f, 101.0f, 55.0f}));
  EXPECT_EQ(loop.count, 3) << "woken after every reply";
}

}  // namespace
}  // namespace settings::panes::workers
