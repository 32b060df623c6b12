#include "orvo_identity/local_identity.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <system_error>

#include "orvo_identity/records.h"
#include "orvo_runtime/atomic_file.h"
#include "orvo_runtime/system_paths.h"

namespace runtime_identity::unix {

constexpr auto describe_json(orvo_json::Tag<LocalIdentity>) {
  return orvo_json::strict_record<LocalIdentity>("LocalIdentity", orvo_json::field("id", &LocalIdentity::id),
                                                 orvo_json::field("user_public_key", &LocalIdentity::user_public_key),
                                                 orvo_json::field("active", &LocalIdentity::active),
                                                 orvo_json::omitted_when_none_field("label", &LocalIdentity::label),
                                                 orvo_json::omitted_when_none_field("threshold", &LocalIdentity::threshold),
                                                 orvo_json::omitted_when_none_field("signers", &LocalIdentity::signers),
                                                 orvo_json::omitted_when_none_field("protection", &LocalIdentity::protection_byte));
}

namespace {

constexpr std::string_view kRecordFile = "identity.json";
constexpr std::string_view kSeedFile = "seed.bin";

// An id names a folder and a fleet file, so it must be one plain path component.
bool valid_identity_id(std::string_view id) {
  if (id.empty() || id.size() > 128 || id.front() == '.') return false;
  return std::all_of(id.begin(), id.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == '.';
  });
}

std::expected<std::optional<LocalIdentity>, IoError> read_record(const std::filesystem::path& folder) {
  const auto path = folder / kRecordFile;
  auto text = atomic_file::read_existing(path);
  if (!text) return std::unexpected(IoError::other(text.error()));
  if (!*text) return std::optional<LocalIdentity>();
  auto record = parse_identity_record(**text);
  if (!record) return std::unexpected(IoError::invalid_data(path.string() + ": " + record.error()));
  return std::optional<LocalIdentity>(std::move(*record));
}

}  // namespace

std::expected<LocalIdentity, std::string> parse_identity_record(std::string_view text) {
  auto record = orvo_json::decode<LocalIdentity>(text);
  if (!record) return std::unexpected(record.error().text());
  if (!valid_identity_id(record->id)) return std::unexpected(std::string("identity id is not a plain name"));
  return std::move(*record);
}

std::string encode_identity_record(const LocalIdentity& record) { return orvo_json::encode(record); }

SigningProtection LocalIdentity::protection() const {
  if (!protection_byte) return SigningProtection::PrivateFile;
  switch (*protection_byte) {
    case 0: return SigningProtection::DesktopKeyring;
    case 1: return SigningProtection::PrivateFile;
    case 2: return SigningProtection::HardwareBacked;
    default: return SigningProtection::NeedsMigration;
  }
}

std::expected<IdentityFolder, IoError> find_identity(const std::filesystem::path& identity_dir, const std::string& id) {
  if (!valid_identity_id(id)) return std::unexpected(IoError::invalid_data("identity id is not a plain name"));
  const auto folder = identity_dir / id;
  auto record = read_record(folder);
  if (!record) return std::unexpected(record.error());
  if (!*record || (*record)->id != id) return std::unexpected(IoError::not_found("no identity " + id));
  return IdentityFolder{folder, std::move(**record)};
}

std::expected<void, IoError> write_record(const std::filesystem::path& folder, const LocalIdentity& record) {
  if (auto written = atomic_file::write(folder / kRecordFile, encode_identity_record(record), 0600); !written) {
    return std::unexpected(IoError::other(written.error()));
  }
  return {};
}

std::expected<void, IoError> set_active_identity(const std::filesystem::path& identity_dir, const std::string& id) {
  auto chosen = find_identity(identity_dir, id);
  if (!chosen) return std::unexpected(chosen.error());
  auto identities = list_identities(identity_dir);
  if (!identities) return std::unexpected(identities.error());
  // The chosen one first, so that a failure half-way never leaves the directory without an
  // active identity.
  if (!chosen->record.active) {
    chosen->record.active = true;
    if (auto written = write_record(chosen->folder, chosen->record); !written) return written;
  }
  for (auto& identity : *identities) {
    if (identity.id == id || !identity.active) continue;
    identity.active = false;
    if (auto written = write_record(identity_dir / identity.id, identity); !written) return written;
  }
  return {};
}

std::expected<void, IoError> remove_identity(const std::filesystem::path& identity_dir, const std::string& id) {
  auto found = find_identity(identity_dir, id);
  if (!found) return std::unexpected(found.error());
  if (found->record.active) return std::unexpected(IoError::invalid_data("the active identity cannot be removed"));
  // The key first: a folder left half-removed must not keep a usable seed.
  std::error_code ec;
  std::filesystem::remove(found->folder / kSeedFile, ec);
  if (ec) return std::unexpected(IoError::other("could not remove " + found->folder.string() + ": " + ec.message()));
  std::filesystem::remove_all(found->folder, ec);
  if (ec) return std::unexpected(IoError::other("could not remove " + found->folder.string() + ": " + ec.message()));
  return {};
}

std::expected<std::filesystem::path, IoError> identity_dir_from_env() {
  const char* value = std::getenv(std::string(kIdentityDirVariable).c_str());
  if (value != nullptr && value[0] != '\0') return std::filesystem::path(value);
  if (auto data = system_paths::user_data_dir()) return *data / "orvo" / "identities";
  return std::unexpected(IoError::not_found("no user data directory"));
}

std::expected<std::vector<LocalIdentity>, IoError> list_identities(const std::filesystem::path& identity_dir) {
  std::error_code ec;
  std::vector<std::filesystem::path> folders;
  std::filesystem::directory_iterator it(identity_dir, ec);
  if (ec == std::errc::no_such_file_or_directory) return std::vector<LocalIdentity>{};
  if (ec) return std::unexpected(IoError::other("could not list " + identity_dir.string() + ": " + ec.message()));
  for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
    if (it->is_directory(ec)) folders.push_back(it->path());
  }
  if (ec) return std::unexpected(IoError::other("could not list " + identity_dir.string() + ": " + ec.message()));
  std::sort(folders.begin(), folders.end());
  std::vector<LocalIdentity> out;
  for (const auto& folder : folders) {
    auto record = read_record(folder);
    if (!record) return std::unexpected(record.error());
    if (*record) out.push_back(std::move(**record));
  }
  return out;
}

std::expected<LocalIdentity, IoError> resolve_active_identity(const std::filesystem::path& identity_dir) {
  auto identities = list_identities(identity_dir);
  if (!identities) return std::unexpected(identities.error());
  for (auto& identity : *identities) {
    if (identity.active) return std::move(identity);
  }
  return std::unexpected(IoError::not_found("no active identity"));
}

std::expected<SigningIdentity, IoError> load_from_path(const std::filesystem::path& path) {
  auto record = read_record(path);
  if (!record) return std::unexpected(record.error());
  if (!*record) return std::unexpected(IoError::not_found((path / kRecordFile).string() + ": no such identity"));
  auto bytes = atomic_file::read_existing(path / kSeedFile);
  if (!bytes) return std::unexpected(IoError::other(bytes.error()));
  if (!*bytes) return std::unexpected(IoError::not_found((path / kSeedFile).string() + ": no identity seed"));
  std::string& raw = **bytes;
  if (raw.size() != 32) {
    sodium_memzero(raw.data(), raw.size());
    return std::unexpected(IoError::invalid_data((path / kSeedFile).string() + ": identity seed is damaged"));
  }
  orvo_user_identity::Seed seed(std::span<const std::uint8_t, 32>(reinterpret_cast<const std::uint8_t*>(raw.data()), 32));
  sodium_memzero(raw.data(), raw.size());
  if (orvo_user_identity::ed25519::public_key(seed) != (*record)->user_public_key) {
    return std::unexpected(IoError::invalid_data((path / kSeedFile).string() + ": identity seed does not match its public key"));
  }
  return SigningIdentity(std::move(**record), std::move(seed));
}

std::expected<void, IoError> store_identity(const std::filesystem::path& identity_dir, const std::string& id,
                                            const orvo_user_identity::Seed& seed, bool active) {
  if (!valid_identity_id(id)) return std::unexpected(IoError::invalid_data("identity id is not a plain name"));
  const auto folder = identity_dir / id;
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) return std::unexpected(IoError::other("could not create " + folder.string() + ": " + ec.message()));
  ::chmod(folder.c_str(), 0700);
  LocalIdentity record;
  record.id = id;
  record.user_public_key = orvo_user_identity::ed25519::public_key(seed);
  record.active = active;
  const std::string_view seed_bytes(reinterpret_cast<const char*>(seed.view().data()), 32);
  if (auto written = atomic_file::write(folder / kSeedFile, seed_bytes, 0600); !written) {
    return std::unexpected(IoError::other(written.error()));
  }
  if (auto written = atomic_file::write(folder / kRecordFile, encode_identity_record(record), 0600); !written) {
    return std::unexpected(IoError::other(written.error()));
  }
  return {};
}

}  // namespace runtime_identity::unix
