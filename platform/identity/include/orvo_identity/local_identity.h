#pragma once
// The user's signing identities kept on this machine. The user identity directory is
// $ORVO_USER_IDENTITY_DIR when set and not empty, else "orvo/identities" under the user's data
// directory. Each identity is a folder of its own there (0700) holding
//   "identity.json"  {"id": text, "user_public_key": [32 integers], "active": bool}  (0600)
//   "seed.bin"       the 32-byte Ed25519 seed of the user key                       (0600)
// This is not the device identity root, which holds this device's own key and certificate.
#include <cstdint>
#include <expected>
#include <optional>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "orvo_identity/keys.h"
#include "orvo_runtime/io_error.h"

namespace runtime_identity::unix {

using orvo_runtime::IoError;
using orvo_user_identity::PublicKey;

// Where an identity's private key is kept, by strength.
enum class SigningProtection : std::uint8_t {
  DesktopKeyring = 0,     // the desktop's Secret Service
  PrivateFile = 1,        // "seed.bin" in the identity's folder
  HardwareBacked = 2,     // sealed by an installed hardware provider
  NeedsMigration = 3,     // an older layout that must be moved before it is safe
};

struct LocalIdentity {
  std::string id;
  PublicKey user_public_key;
  bool active = false;
  // Optional in "identity.json"; absent fields read as below and are not written.
  std::optional<std::string> label;
  // The signing quorum: `threshold` of `signers` keys (1-of-1 when absent).
  std::optional<std::uint16_t> threshold;
  std::optional<std::uint16_t> signers;
  // The stored protection byte; absent means the key is in "seed.bin".
  std::optional<std::uint8_t> protection_byte;

  SigningProtection protection() const;
  std::uint16_t threshold_or_one() const { return threshold.value_or(1); }
  std::uint16_t signers_or_one() const { return signers.value_or(1); }
  bool operator==(const LocalIdentity&) const = default;
};

inline constexpr std::string_view kIdentityDirVariable = "ORVO_USER_IDENTITY_DIR";

// The user identity directory; not-found when neither the variable nor a data directory is known.
std::expected<std::filesystem::path, IoError> identity_dir_from_env();

// Reads an "identity.json" text; the error names what is wrong ("missing field `id`", an id that is
// not a plain name).
std::expected<LocalIdentity, std::string> parse_identity_record(std::string_view text);
// The record as "identity.json" holds it.
std::string encode_identity_record(const LocalIdentity& record);

// The identities of `identity_dir`, in folder-name order. A missing directory holds none; a folder
// without "identity.json" is not an identity; a damaged record is an invalid-data error naming it.
std::expected<std::vector<LocalIdentity>, IoError> list_identities(const std::filesystem::path& identity_dir);

// The first active identity of the listing; not-found "no active identity" when none is.
std::expected<LocalIdentity, IoError> resolve_active_identity(const std::filesystem::path& identity_dir);

// A user identity that can sign; its seed is wiped when it is dropped.
class SigningIdentity {
 public:
  SigningIdentity(LocalIdentity identity, orvo_user_identity::Seed seed)
      : identity_(std::move(identity)), seed_(std::move(seed)) {}
  const LocalIdentity& identity() const { return identity_; }
  // For moving the key to another keeper; never for showing or logging.
  const orvo_user_identity::Seed& seed() const { return seed_; }
  orvo_user_identity::Signature sign(std::span<const std::uint8_t> message) const {
    return orvo_user_identity::ed25519::sign(seed_, message);
  }

 private:
  LocalIdentity identity_;
  orvo_user_identity::Seed seed_;
};

// Loads the identity kept in the folder `path`; invalid-data when its seed does not give its
// public key.
std::expected<SigningIdentity, IoError> load_from_path(const std::filesystem::path& path);

// An identity's folder and its record.
struct IdentityFolder {
  std::filesystem::path folder;
  LocalIdentity record;
};
// The identity `id` of the directory; not-found when there is none.
std::expected<IdentityFolder, IoError> find_identity(const std::filesystem::path& identity_dir, const std::string& id);
// Rewrites the identity's record in its folder.
std::expected<void, IoError> write_record(const std::filesystem::path& folder, const LocalIdentity& record);

// Makes `id` the one active identity of the directory (every other one becomes inactive).
std::expected<void, IoError> set_active_identity(const std::filesystem::path& identity_dir, const std::string& id);
// Removes the identity's folder; the active identity is refused ("the active identity cannot be
// removed"): another must be chosen first.
std::expected<void, IoError> remove_identity(const std::filesystem::path& identity_dir, const std::string& id);
// Moves a private-file key into the desktop's Secret Service: the key is stored there, read back
// and compared, the record then says so, and only then is "seed.bin" removed. Without a Secret
// Service (or when it cannot store the key) nothing changes and the error says why.
std::expected<void, IoError> secure_identity(const std::filesystem::path& identity_dir, const std::string& id);
// The identity `id` of the directory, ready to sign, wherever its key is kept.
std::expected<SigningIdentity, IoError> load(const std::filesystem::path& identity_dir, const std::string& id);

// Writes an identity folder named after `id` under `identity_dir` (the record and the seed, 0600 in
// a 0700 folder). The enrolment programs create identities; this is their format in one place.
std::expected<void, IoError> store_identity(const std::filesystem::path& identity_dir, const std::string& id,
                                            const orvo_user_identity::Seed& seed, bool active);

}  // namespace runtime_identity::unix
