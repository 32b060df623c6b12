// The vault key in the desktop's keyring, through the Secret Service D-Bus interface
// (org.freedesktop.secrets on the session bus). The key travels in a "plain" session: the session
// bus belongs to the user alone. An item is found by its attributes; a locked keyring that would need
// a prompt counts as "not answering", so the caller falls back to the local key file.
#include <sodium.h>

#include <chrono>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "accounts/secret_vault.h"
#include "orvo_dbus/connection.h"

namespace accounts::vault {
namespace {

constexpr std::chrono::milliseconds kTimeout{2000};
constexpr const char* kService = "org.freedesktop.secrets";
constexpr const char* kServicePath = "/org/freedesktop/secrets";
constexpr const char* kDefaultCollection = "/org/freedesktop/secrets/aliases/default";
constexpr const char* kNoPrompt = "/";

using SecretStruct = sdbus::Struct<sdbus::ObjectPath, std::vector<std::uint8_t>, std::vector<std::uint8_t>, std::string>;

std::string failure(const orvo_dbus::Error& error) { return "the Secret Service did not answer: " + error.text(); }

class SecretService final : public KeyCustody {
 public:
  explicit SecretService(std::filesystem::path vault_dir) : vault_dir_(std::move(vault_dir)) {}

  std::expected<std::optional<VaultKey>, std::string> load() override {
    auto session = open_session();
    if (!session) return std::unexpected(session.error());
    auto [connection, path] = std::move(*session);
    auto found = connection.call<std::vector<sdbus::ObjectPath>, std::vector<sdbus::ObjectPath>>(
        {kService, kServicePath}, "org.freedesktop.Secret.Service", "SearchItems", kTimeout, attributes());
    if (!found) {
      close(connection, path);
      return std::unexpected(failure(found.error()));
    }
    auto [unlocked, locked] = std::move(*found);
    if (unlocked.empty() && !locked.empty()) {
      auto opened = connection.call<std::vector<sdbus::ObjectPath>, sdbus::ObjectPath>(
          {kService, kServicePath}, "org.freedesktop.Secret.Service", "Unlock", kTimeout, locked);
      if (!opened) {
        close(connection, path);
        return std::unexpected(failure(opened.error()));
      }
      unlocked = std::get<0>(*opened);
      if (unlocked.empty()) {
        close(connection, path);
        return std::unexpected(std::string("the keyring that holds the vault key is locked"));
      }
    }
    if (unlocked.empty()) {
      close(connection, path);
      return std::optional<VaultKey>{};
    }
    auto secret = connection.call<SecretStruct>({kService, unlocked.front()}, "org.freedesktop.Secret.Item",
                                                "GetSecret", kTimeout, path);
    close(connection, path);
    if (!secret) return std::unexpected(failure(secret.error()));
    std::vector<std::uint8_t>& value = std::get<2>(std::get<0>(*secret));
    auto key = VaultKey::from_bytes(std::string_view(reinterpret_cast<const char*>(value.data()), value.size()));
    sodium_memzero(value.data(), value.size());
    if (!key) return std::unexpected(std::string("the vault key in the keyring is damaged"));
    return key;
  }

  std::expected<void, std::string> store(const VaultKey& key) override {
    auto session = open_session();
    if (!session) return std::unexpected(session.error());
    auto [connection, path] = std::move(*session);
    std::map<std::string, sdbus::Variant> properties{
        {"org.freedesktop.Secret.Item.Label", sdbus::Variant(std::string("Settings account credentials key"))},
        {"org.freedesktop.Secret.Item.Attributes", sdbus::Variant(attributes())}};
    std::vector<std::uint8_t> bytes(key.data(), key.data() + VaultKey::kSize);
    const SecretStruct secret{path, std::vector<std::uint8_t>{}, bytes, std::string("application/octet-stream")};
    auto created = connection.call<sdbus::ObjectPath, sdbus::ObjectPath>(
        {kService, kDefaultCollection}, "org.freedesktop.Secret.Collection", "CreateItem", kTimeout, properties,
        secret, true);
    sodium_memzero(bytes.data(), bytes.size());
    close(connection, path);
    if (!created) return std::unexpected(failure(created.error()));
    if (std::string(std::get<1>(*created)) != kNoPrompt) {
      return std::unexpected(std::string("the keyring asked for a prompt to store the vault key"));
    }
    return {};
  }

  bool local() const override { return false; }

 private:
  std::map<std::string, std::string> attributes() const {
    return {{"application", "so.orvo.settings"}, {"orvo-vault", vault_dir_.string()}};
  }

  std::expected<std::tuple<orvo_dbus::Connection, sdbus::ObjectPath>, std::string> open_session() const {
    auto connection = orvo_dbus::Connection::open(orvo_dbus::Bus::Session);
    if (!connection) return std::unexpected(failure(connection.error()));
    auto opened = connection->call<sdbus::Variant, sdbus::ObjectPath>(
        {kService, kServicePath}, "org.freedesktop.Secret.Service", "OpenSession", kTimeout, std::string("plain"),
        sdbus::Variant(std::string()));
    if (!opened) return std::unexpected(failure(opened.error()));
    return std::tuple<orvo_dbus::Connection, sdbus::ObjectPath>{std::move(*connection), std::get<1>(*opened)};
  }

  static void close(orvo_dbus::Connection& connection, const sdbus::ObjectPath& session) {
    (void)connection.call<>({kService, session}, "org.freedesktop.Secret.Session", "Close", kTimeout);
  }

  std::filesystem::path vault_dir_;
};

}  // namespace

std::unique_ptr<KeyCustody> secret_service_custody(const std::filesystem::path& vault_dir) {
  return std::make_unique<SecretService>(vault_dir);
}

}  // namespace accounts::vault
