#include "os_actions/modem.h"

#include <sodium.h>

#include <algorithm>
#include <cctype>
#include <chrono>

#include "orvo_dbus/connection.h"
#include "service_error.h"

namespace os_actions::modem {
namespace {

using orvo_dbus::Target;

constexpr const char* kService = "org.freedesktop.ModemManager1";
constexpr const char* kRootPath = "/org/freedesktop/ModemManager1";
constexpr const char* kModemInterface = "org.freedesktop.ModemManager1.Modem";
constexpr const char* kSimInterface = "org.freedesktop.ModemManager1.Sim";
// A modem answers a PIN only after it has talked to the card.
constexpr std::chrono::milliseconds kPinTimeout{20000};

std::string describe(const orvo_dbus::Error& error) { return describe_service_error(error, "the modem service"); }

bool is_object(const std::string& path) { return !path.empty() && path != "/"; }

}  // namespace

std::expected<std::vector<MobileSim>, std::string> list_mobile_sims() {
  auto bus = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  if (!bus) return std::unexpected(describe(bus.error()));
  auto objects = bus->managed_objects(Target{kService, kRootPath});
  if (!objects) return std::unexpected(describe(objects.error()));

  std::vector<MobileSim> out;
  for (const auto& [modem_path, interfaces] : *objects) {
    const auto modem = interfaces.find(kModemInterface);
    if (modem == interfaces.end()) continue;
    std::vector<std::string> sims;
    if (auto sim = orvo_dbus::get<sdbus::ObjectPath>(modem->second, "Sim"); sim && is_object(*sim)) sims.push_back(*sim);
    for (const auto& slot :
         orvo_dbus::get<std::vector<sdbus::ObjectPath>>(modem->second, "SimSlots").value_or(std::vector<sdbus::ObjectPath>{})) {
      if (is_object(slot) && std::find(sims.begin(), sims.end(), slot) == sims.end()) sims.push_back(slot);
    }
    for (const auto& sim_path : sims) {
      orvo_dbus::Properties properties;
      const auto listed = objects->find(sdbus::ObjectPath(sim_path));
      if (listed != objects->end() && listed->second.contains(kSimInterface)) {
        properties = listed->second.at(kSimInterface);
      } else if (auto read = bus->all_properties(Target{kService, sim_path}, kSimInterface)) {
        properties = std::move(*read);
      } else {
        continue;  // a SIM that went away while being read
      }
      MobileSim sim;
      sim.path = sim_path;
      sim.modem = modem_path;
      sim.identifier = orvo_dbus::get<std::string>(properties, "SimIdentifier").value_or("");
      const std::string operator_name = orvo_dbus::get<std::string>(properties, "OperatorName").value_or("");
      sim.label = !operator_name.empty() ? operator_name : !sim.identifier.empty() ? sim.identifier : sim.path;
      out.push_back(std::move(sim));
    }
  }
  return out;
}

std::expected<void, std::string> unlock_mobile_sim_on(std::string_view sim, const orvo_secret::SecretString& pin) {
  const std::string_view digits = pin.view();
  if (digits.size() < 4 || digits.size() > 8 ||
      !std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); })) {
    return std::unexpected("a PIN has 4 to 8 digits");
  }
  if (!sim.starts_with("/")) return std::unexpected("no SIM is selected");
  auto bus = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  if (!bus) return std::unexpected(describe(bus.error()));
  std::string copy(digits);
  auto reply = bus->call<>(Target{kService, std::string(sim)}, kSimInterface, "SendPin", kPinTimeout, copy);
  sodium_memzero(copy.data(), copy.size());
  if (!reply) return std::unexpected(describe(reply.error()));
  return {};
}

}  // namespace os_actions::modem
