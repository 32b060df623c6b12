// The network workers' bodies: joins with look-up and sealing, profile shares, continuity classes.
#include <gtest/gtest.h>

#include "fake_network.h"
#include "panes/network/network_keys.h"
#include "panes/network/network_workers.h"

namespace settings::panes::network::testing {
namespace {

namespace continuity = os_actions::continuity;

// Answers every request with a scripted reply and records what it was asked.
class ScriptedContinuity final : public continuity::WifiContinuityBackend {
 public:
  std::function<continuity::WifiContinuityReply()> answer = [] { return continuity::NoCredential{}; };
  mutable std::vector<std::string> asked;  // "lookup:SSID:class", "seal:SSID:class", "share:ID"

  continuity::WifiContinuityReply command(const continuity::WifiContinuityRequest& request) const override {
    std::visit(
        [&](const auto& typed) {
          using T = std::decay_t<decltype(typed)>;
          if constexpr (std::is_same_v<T, continuity::LookUp>) {
            asked.push_back("lookup:" + typed.ssid + ":" + std::to_string(typed.continuity_class));
          } else if constexpr (std::is_same_v<T, continuity::Seal>) {
            asked.push_back("seal:" + typed.ssid + ":" + std::to_string(typed.continuity_class));
          } else {
            asked.push_back("share:" + typed.profile);
          }
        },
        request);
    return answer();
  }
};

continuity::WifiContinuityReply credential() { return continuity::Credential{orvo_secret::SecretString("sealed pass")}; }

struct JoinCase {
  std::string_view name;
  std::uint8_t kind;
  bool lookup;
  std::optional<std::string> passphrase;
  std::function<continuity::WifiContinuityReply()> answer;
  bool connect_refused;
  NetworkJobOutcome expected;
  std::vector<std::string> asked;
  std::size_t connects;
};

TEST(NetworkWorkers, JoinLooksUpJoinsAndSealsByContinuityClass) {
  using namespace outcome;
  const auto reply = [](continuity::WifiContinuityReply r) {
    return [r = std::make_shared<continuity::WifiContinuityReply>(std::move(r))]() -> continuity::WifiContinuityReply {
      if (!*r) return std::unexpected(r->error());
      return std::visit(
          [](const auto& v) -> continuity::WifiContinuityReply {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, continuity::Credential>) return credential();
            else return v;
          },
          **r);
    };
  };
  const std::vector<JoinCase> cases = {
      {"personal look-up finds a credential", 1, true, std::nullopt, credential, false,
       Connected{std::string(kSealedNote)}, {"lookup:Home:0"}, 1},
      {"SAE look-up finds none", 2, true, std::nullopt, reply(continuity::NoCredential{}), false, PasswordNeeded{},
       {"lookup:Home:1"}, 0},
      {"other kinds are never looked up", 0, true, std::nullopt, credential, false, PasswordNeeded{}, {}, 0},
      {"a refused look-up asks with its reason", 1, true, std::nullopt, reply(continuity::Refused{"busy"}), false,
       PasswordNeeded{"busy"}, {"lookup:Home:0"}, 0},
      {"an unavailable service asks with its error", 1, true, std::nullopt,
       reply(std::unexpected(std::string(continuity::kUnavailable))), false,
       PasswordNeeded{std::string(continuity::kUnavailable)}, {"lookup:Home:0"}, 0},
      {"a done look-up reply is invalid", 1, true, std::nullopt, reply(continuity::Done{"x"}), false,
       PasswordNeeded{"the Wi-Fi continuity service returned an invalid lookup reply"}, {"lookup:Home:0"}, 0},
      {"a typed passphrase is sealed", 1, false, "typed pass", reply(continuity::Done{"ok"}), false,
       Connected{std::string(kSealNote)}, {"seal:Home:0"}, 1},
      {"a refused seal still connects", 2, false, "typed pass", reply(continuity::Refused{"nope"}), false,
       Connected{"Password could not be shared: nope"}, {"seal:Home:1"}, 1},
      {"an odd seal reply still connects", 1, false, "typed pass", reply(continuity::NoCredential{}), false,
       Connected{"Password could not be shared: the continuity service returned an invalid reply."}, {"seal:Home:0"}, 1},
      {"an open network never seals", 1, false, std::nullopt, reply(continuity::Done{"ok"}), false, Connected{}, {}, 1},
      {"an unshareable kind never seals", 0, false, "typed pass", reply(continuity::Done{"ok"}), false, Connected{}, {}, 1},
      {"a failed join", 1, false, "typed pass", reply(continuity::Done{"ok"}), true, Failed{"refused"}, {}, 1},
  };
  for (const JoinCase& row : cases) {
    SCOPED_TRACE(row.name);
    auto machine = std::make_shared<FakeMachine>();
    if (row.connect_refused) machine->refused.insert("connect_wifi");
    FakeDispatcher dispatcher(machine);
    ScriptedContinuity backend;
    backend.answer = row.answer;
    WifiJoinRequest request{"Home", row.kind, std::nullopt, row.lookup};
    if (row.passphrase) request.passphrase.emplace(*row.passphrase);
    const NetworkJobReply answer = wifi_join_work(dispatcher, backend, request);
    EXPECT_EQ(answer.job, NetworkJob(job::WifiJoin{"Home"}));
    EXPECT_EQ(answer.outcome, row.expected);
    EXPECT_EQ(backend.asked, row.asked);
    EXPECT_EQ(machine->count("connect_wifi"), row.connects);
    EXPECT_FALSE(request.passphrase.has_value());
  }
}

TEST(NetworkWorkers, ProfileShareRepliesAndClasses) {
  ScriptedContinuity backend;
  backend.answer = [] { return continuity::Done{"shared"}; };
  EXPECT_EQ(profile_share_work(backend, "uuid-1"), NetworkJobOutcome(outcome::Sealed{}));
  EXPECT_EQ(backend.asked, std::vector<std::string>{"share:uuid-1"});
  backend.answer = [] { return continuity::Refused{"not certified"}; };
  EXPECT_EQ(profile_share_work(backend, "uuid-1"), NetworkJobOutcome(outcome::Failed{"not certified"}));
  backend.answer = [] { return continuity::NoCredential{}; };
  EXPECT_EQ(profile_share_work(backend, "uuid-1"),
            NetworkJobOutcome(outcome::Failed{"the Wi-Fi continuity service returned an invalid profile reply"}));

  EXPECT_EQ(job_label(job::ProfileShare{"uuid-1", "Home"}), "Home");
  EXPECT_EQ(job_label(job::EnterpriseWifi{}), "enterprise Wi-Fi");
  for (auto [kind, klass] : {std::pair{1, 0}, {2, 1}, {0, 2}, {3, 2}, {255, 2}}) {
    EXPECT_EQ(continuity_class(static_cast<std::uint8_t>(kind)), klass) << kind;
  }
}

TEST(NetworkKeys, LabelsAndLists) {
  EXPECT_EQ(profile_label({"Home", "ab", "802-11-wireless", true}), "Home · ab");
  EXPECT_EQ(profile_label({"Home", "éééééééééé", "802-11-wireless", true}), "Home · éééééééé");
  EXPECT_EQ(ipv4_key("u1", "dns"), "network.ipv4.u1.dns");
  EXPECT_EQ(vpn_studio_key("Office"), "network.vpn.studio.Office");
  const std::vector<std::string> blank = {"", "  ", "\t\n"};
  EXPECT_EQ(first_nonblank_line(blank), std::nullopt);
  const std::vector<std::string> lines = {" ", "  first line \n", "second"};
  EXPECT_EQ(first_nonblank_line(lines), "first line");
}

}  // namespace
}  // namespace settings::panes::network::testing
