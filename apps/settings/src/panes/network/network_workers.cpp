#include "panes/network/network_workers.h"

#include <utility>

#include "panes/workers/worker_start.h"
#include <orvo_runtime/overloaded.h>

namespace settings::panes::network {

namespace continuity = os_actions::continuity;

namespace {

using orvo_runtime::Overloaded;

void reply(ReplySender& sender, NetworkJob job, NetworkJobOutcome outcome, const orvo_ui::WakeHandle& wake) {
  (void)sender.send(NetworkJobReply{std::move(job), std::move(outcome)});
  wake.wake();
}

// What a look-up gives: a passphrase to join with, or the reason to ask the person.
NetworkJobOutcome join_with_lookup(const os_actions::Dispatcher& dispatcher, const continuity::WifiContinuityBackend& backend,
                                   const std::string& ssid, std::uint8_t continuity_class) {
  using outcome::PasswordNeeded;
  if (continuity_class == 2) return PasswordNeeded{};
  continuity::WifiContinuityReply answer = backend.command(continuity::LookUp{ssid, continuity_class});
  if (!answer) return PasswordNeeded{std::move(answer.error())};
  return std::visit(
      Overloaded{
          [&](continuity::Credential& credential) -> NetworkJobOutcome {
            std::optional<orvo_secret::SecretString> passphrase(std::move(credential.passphrase));
            auto joined = dispatcher.connect_wifi(ssid, passphrase);
            if (!joined) return outcome::Failed{std::move(joined.error())};
            return outcome::Connected{std::string(kSealedNote)};
          },
          [](continuity::NoCredential&) -> NetworkJobOutcome { return PasswordNeeded{}; },
          [](continuity::Done&) -> NetworkJobOutcome {
            return PasswordNeeded{"the Wi-Fi continuity service returned an invalid lookup reply"};
          },
          [](continuity::Refused& refused) -> NetworkJobOutcome { return PasswordNeeded{std::move(refused.text)}; },
      },
      *answer);
}

std::string seal_note(const continuity::WifiContinuityBackend& backend, const std::string& ssid,
                      const orvo_secret::SecretString& passphrase, std::uint8_t continuity_class) {
  continuity::WifiContinuityReply answer =
      backend.command(continuity::Seal{ssid, orvo_secret::SecretString(passphrase.view()), continuity_class});
  if (!answer) return "Password could not be shared: " + answer.error();
  if (std::holds_alternative<continuity::Done>(*answer)) return std::string(kSealNote);
  if (auto* refused = std::get_if<continuity::Refused>(&*answer)) return "Password could not be shared: " + refused->text;
  return "Password could not be shared: the continuity service returned an invalid reply.";
}

}  // namespace

std::string job_label(const NetworkJob& job) {
  return std::visit(Overloaded{
                        [](const job::WifiJoin& join) { return join.ssid; },
                        [](const job::ProfileShare& share) { return share.name; },
                        [](const job::MobileProfile&) { return std::string("mobile profile"); },
                        [](const job::SimUnlock&) { return std::string("SIM"); },
                        [](const job::EnterpriseWifi&) { return std::string("enterprise Wi-Fi"); },
                    },
                    job);
}

std::uint8_t continuity_class(std::uint8_t kind) {
  switch (kind) {
    case 1: return 0;
    case 2: return 1;
    default: return 2;
  }
}

NetworkJobReply wifi_join_work(const os_actions::Dispatcher& dispatcher, const continuity::WifiContinuityBackend& backend,
                               WifiJoinRequest& request) {
  const std::uint8_t klass = continuity_class(request.kind);
  NetworkJobOutcome result = [&]() -> NetworkJobOutcome {
    if (request.lookup) return join_with_lookup(dispatcher, backend, request.ssid, klass);
    auto joined = dispatcher.connect_wifi(request.ssid, request.passphrase);
    if (!joined) return outcome::Failed{std::move(joined.error())};
    if (klass == 2 || !request.passphrase || request.passphrase->empty()) return outcome::Connected{};
    return outcome::Connected{seal_note(backend, request.ssid, *request.passphrase, klass)};
  }();
  request.passphrase.reset();
  return {job::WifiJoin{request.ssid}, std::move(result)};
}

NetworkJobOutcome profile_share_work(const continuity::WifiContinuityBackend& backend, std::string_view uuid) {
  continuity::WifiContinuityReply answer = backend.command(continuity::ShareProfile{std::string(uuid)});
  if (!answer) return outcome::Failed{std::move(answer.error())};
  if (std::holds_alternative<continuity::Done>(*answer)) return outcome::Sealed{};
  if (auto* refused = std::get_if<continuity::Refused>(&*answer)) return outcome::Failed{std::move(refused->text)};
  return outcome::Failed{"the Wi-Fi continuity service returned an invalid profile reply"};
}

Done start_wifi_join(ReplySender sender, std::shared_ptr<const os_actions::Dispatcher> dispatcher,
                     ContinuityHandle backend, WifiJoinRequest request, orvo_ui::WakeHandle wake) {
  return workers::start_worker("network-join", [sender = std::move(sender), dispatcher = std::move(dispatcher),
                                                backend = std::move(backend), request = std::move(request),
                                                wake]() mutable {
    NetworkJobReply answer = wifi_join_work(*dispatcher, *backend, request);
    reply(sender, std::move(answer.job), std::move(answer.outcome), wake);
  });
}

Done start_profile_share(ReplySender sender, ContinuityHandle backend, job::ProfileShare share, orvo_ui::WakeHandle wake) {
  return workers::start_worker("network-share", [sender = std::move(sender), backend = std::move(backend),
                                                 share = std::move(share), wake]() mutable {
    NetworkJobOutcome result = profile_share_work(*backend, share.uuid);
    reply(sender, std::move(share), std::move(result), wake);
  });
}

Done start_mobile_profile(ReplySender sender, NetworkServices::CreateMobileProfile create, std::string name,
                          std::string apn, orvo_ui::WakeHandle wake) {
  return workers::start_worker("network-mobile", [sender = std::move(sender), create = std::move(create),
                                                  name = std::move(name), apn = std::move(apn), wake]() mutable {
    auto created = create(name, apn);
    reply(sender, job::MobileProfile{},
          created ? NetworkJobOutcome(outcome::Message{"Mobile profile created."})
                  : NetworkJobOutcome(outcome::Failed{std::move(created.error())}),
          wake);
  });
}

Done start_sim_unlock(ReplySender sender, NetworkServices::UnlockSim unlock, std::optional<std::string> sim,
                      orvo_secret::SecretString pin, orvo_ui::WakeHandle wake) {
  return workers::start_worker("network-sim", [sender = std::move(sender), unlock = std::move(unlock),
                                               sim = std::move(sim), pin = std::move(pin), wake]() mutable {
    NetworkJobOutcome result = outcome::Failed{std::string(kNoSim)};
    if (sim) {
      auto unlocked = unlock(*sim, pin);
      result = unlocked ? NetworkJobOutcome(outcome::Message{"SIM unlocked."})
                        : NetworkJobOutcome(outcome::Failed{std::move(unlocked.error())});
    }
    pin.clear();
    reply(sender, job::SimUnlock{}, std::move(result), wake);
  });
}

Done start_enterprise_wifi(ReplySender sender, NetworkServices::ConnectEnterprise connect,
                           os_actions::network::EnterpriseWifiConfiguration configuration,
                           orvo_secret::SecretString password, orvo_ui::WakeHandle wake) {
  return workers::start_worker(
      "network-eap", [sender = std::move(sender), connect = std::move(connect),
                      configuration = std::move(configuration), password = std::move(password), wake]() mutable {
        auto connected = connect(configuration, password);
        password.clear();
        reply(sender, job::EnterpriseWifi{},
              connected ? NetworkJobOutcome(outcome::Message{"Enterprise Wi-Fi connected."})
                        : NetworkJobOutcome(outcome::Failed{std::move(connected.error())}),
              wake);
      });
}

Done start_ca_chooser(orvo_runtime::Sender<CaChoice> sender, NetworkServices::ChooseCa choose, orvo_ui::WakeHandle wake) {
  return workers::start_worker("network-ca", [sender = std::move(sender), choose = std::move(choose), wake]() mutable {
    (void)sender.send(choose());
    wake.wake();
  });
}

}  // namespace settings::panes::network
