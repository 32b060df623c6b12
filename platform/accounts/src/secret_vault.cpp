#include "accounts/secret_vault.h"

#include <sodium.h>

#include <cstdint>
#include <cstring>

#include "accounts/paths.h"
#include "orvo_runtime/atomic_file.h"

namespace accounts::vault {
namespace {

// "vault.enc": magic and format version (also the associated data), a random nonce, then the
// sealed plaintext. The plaintext is the entry count and, per entry, the id, the secret and the
// optional second text, each as a 32-bit little-endian length and the bytes.
constexpr unsigned char kHeader[] = {'O', 'V', 'L', 'T', 1};
constexpr std::size_t kHeaderSize = sizeof kHeader;
constexpr std::size_t kNonceSize = crypto_aead_xchacha20poly1305_ietf_NPUBBYTES;
constexpr std::size_t kTagSize = crypto_aead_xchacha20poly1305_ietf_ABYTES;

// A byte buffer wiped when dropped; sized once, so it never leaves copies behind by growing.
class WipedBytes {
 public:
  explicit WipedBytes(std::size_t size) : bytes_(size) {}
  ~WipedBytes() { sodium_memzero(bytes_.data(), bytes_.size()); }
  WipedBytes(const WipedBytes&) = delete;
  WipedBytes& operator=(const WipedBytes&) = delete;
  unsigned char* data() { return bytes_.data(); }
  std::size_t size() const { return bytes_.size(); }
  void shrink(std::size_t size) { bytes_.resize(size); }  // never grows

 private:
  std::vector<unsigned char> bytes_;
};

using Entries = std::map<std::string, Credential, std::less<>>;

std::size_t encoded_size(const Entries& entries) {
  std::size_t size = 4;
  for (const auto& [id, credential] : entries) {
    size += 4 + id.size() + 4 + credential.secret.size() + 1;
    if (credential.extra) size += 4 + credential.extra->size();
  }
  return size;
}

void put_text(unsigned char*& out, std::string_view text) {
  const auto length = static_cast<std::uint32_t>(text.size());
  for (int i = 0; i < 4; ++i) *out++ = static_cast<unsigned char>(length >> (8 * i));
  std::memcpy(out, text.data(), text.size());
  out += text.size();
}

void encode(const Entries& entries, WipedBytes& plain) {
  unsigned char* out = plain.data();
  const auto count = static_cast<std::uint32_t>(entries.size());
  for (int i = 0; i < 4; ++i) *out++ = static_cast<unsigned char>(count >> (8 * i));
  for (const auto& [id, credential] : entries) {
    put_text(out, id);
    put_text(out, credential.secret.view());
    *out++ = credential.extra ? 1 : 0;
    if (credential.extra) put_text(out, credential.extra->view());
  }
}

class PlainReader {
 public:
  PlainReader(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}
  std::optional<std::uint32_t> number() {
    if (size_ - pos_ < 4) return std::nullopt;
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(data_[pos_ + i]) << (8 * i);
    pos_ += 4;
    return value;
  }
  std::optional<std::string_view> text() {
    auto length = number();
    if (!length || size_ - pos_ < *length) return std::nullopt;
    std::string_view out(reinterpret_cast<const char*>(data_ + pos_), *length);
    pos_ += *length;
    return out;
  }
  std::optional<bool> flag() {
    if (pos_ == size_ || data_[pos_] > 1) return std::nullopt;
    return data_[pos_++] == 1;
  }
  bool done() const { return pos_ == size_; }

 private:
  const unsigned char* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

std::optional<Entries> decode(const unsigned char* data, std::size_t size) {
  PlainReader in(data, size);
  auto count = in.number();
  if (!count) return std::nullopt;
  Entries entries;
  for (std::uint32_t i = 0; i < *count; ++i) {
    auto id = in.text();
    auto secret = in.text();
    if (!id || !secret) return std::nullopt;
    Credential credential{orvo_secret::SecretString(*secret), std::nullopt};
    auto has_extra = in.flag();
    if (!has_extra) return std::nullopt;
    if (*has_extra) {
      auto extra = in.text();
      if (!extra) return std::nullopt;
      credential.extra.emplace(*extra);
    }
    entries.insert_or_assign(std::string(*id), std::move(credential));
  }
  if (!in.done()) return std::nullopt;
  return entries;
}

std::optional<Entries> open_sealed(std::string_view file, const VaultKey& key) {
  if (file.size() < kHeaderSize + kNonceSize + kTagSize) return std::nullopt;
  const auto* bytes = reinterpret_cast<const unsigned char*>(file.data());
  if (std::memcmp(bytes, kHeader, kHeaderSize) != 0) return std::nullopt;
  const unsigned char* nonce = bytes + kHeaderSize;
  const unsigned char* sealed = nonce + kNonceSize;
  const std::size_t sealed_size = file.size() - kHeaderSize - kNonceSize;
  WipedBytes plain(sealed_size - kTagSize);
  unsigned long long plain_size = 0;
  if (crypto_aead_xchacha20poly1305_ietf_decrypt(plain.data(), &plain_size, nullptr, sealed, sealed_size, kHeader,
                                                 kHeaderSize, nonce, key.data()) != 0) {
    return std::nullopt;
  }
  return decode(plain.data(), static_cast<std::size_t>(plain_size));
}

std::string seal(const Entries& entries, const VaultKey& key) {
  WipedBytes plain(encoded_size(entries));
  encode(entries, plain);
  std::string file(kHeaderSize + kNonceSize + plain.size() + kTagSize, '\0');
  auto* out = reinterpret_cast<unsigned char*>(file.data());
  std::memcpy(out, kHeader, kHeaderSize);
  unsigned char* nonce = out + kHeaderSize;
  randombytes_buf(nonce, kNonceSize);
  unsigned long long sealed_size = 0;
  crypto_aead_xchacha20poly1305_ietf_encrypt(nonce + kNonceSize, &sealed_size, plain.data(), plain.size(), kHeader,
                                             kHeaderSize, nullptr, nonce, key.data());
  return file;
}

struct HeldKey {
  VaultKey key;
  bool local;
};

}  // namespace

Credential Credential::clone() const {
  Credential out{secret.clone(), std::nullopt};
  if (extra) out.extra = extra->clone();
  return out;
}

struct SecretVault::State {
  std::optional<std::filesystem::path> dir;
  std::vector<std::unique_ptr<KeyCustody>> custody;
  Entries entries;
  std::optional<HeldKey> key;
  bool local_when_created = true;
  std::optional<std::string> read_error;
};

SecretVault::SecretVault(std::unique_ptr<State> state) : state_(std::move(state)) {}
SecretVault::SecretVault(SecretVault&&) noexcept = default;
SecretVault& SecretVault::operator=(SecretVault&&) noexcept = default;
SecretVault::~SecretVault() = default;

SecretVault SecretVault::open() {
  auto root = config_root();
  if (!root) return SecretVault(std::make_unique<State>());
  return open_in(*root);
}

SecretVault SecretVault::open_in(const std::filesystem::path& root) {
  return open_in(root, default_custody(vault_dir_in(root)));
}

SecretVault SecretVault::open_in(const std::filesystem::path& root, std::vector<std::unique_ptr<KeyCustody>> custody) {
  auto state = std::make_unique<State>();
  state->dir = vault_dir_in(root);
  state->custody = std::move(custody);
  if (sodium_init() < 0) {
    state->read_error = "the encryption library could not start";
    return SecretVault(std::move(state));
  }
  const auto path = *state->dir / kVaultFileName;

  auto file = atomic_file::read_existing(path);
  if (!file) {
    state->read_error = file.error();
    return SecretVault(std::move(state));
  }

  // Every place that holds a key is asked: a key kept in the keyring and one kept in the file
  // (written while the keyring did not answer) may both exist, and only one opens the vault.
  std::vector<HeldKey> candidates;
  std::optional<std::string> custody_error;
  bool keyring_answered = false;
  for (const auto& place : state->custody) {
    auto loaded = place->load();
    if (!loaded) {
      if (!custody_error) custody_error = loaded.error();
      continue;
    }
    if (!place->local()) keyring_answered = true;
    if (*loaded) candidates.push_back({std::move(**loaded), place->local()});
  }
  state->local_when_created = !keyring_answered;

  if (!file->has_value()) {
    if (!candidates.empty()) state->key = candidates.front();
    return SecretVault(std::move(state));
  }
  for (const auto& candidate : candidates) {
    if (auto entries = open_sealed(**file, candidate.key)) {
      state->entries = std::move(*entries);
      state->key = candidate;
      return SecretVault(std::move(state));
    }
  }
  if (candidates.empty()) {
    state->read_error = "the key of the credential vault is not available" + (custody_error ? ": " + *custody_error : "");
  } else {
    state->read_error = "the credential vault could not be decrypted";
  }
  return SecretVault(std::move(state));
}

std::optional<Credential> SecretVault::get(std::string_view id) const {
  const auto it = state_->entries.find(id);
  if (it == state_->entries.end()) return std::nullopt;
  return it->second.clone();
}

void SecretVault::put(std::string_view id, Credential credential) {
  state_->entries.insert_or_assign(std::string(id), std::move(credential));
}

bool SecretVault::remove(std::string_view id) {
  const auto it = state_->entries.find(id);
  if (it == state_->entries.end()) return false;
  state_->entries.erase(it);
  return true;
}

std::expected<void, std::string> SecretVault::try_save() {
  if (!state_->dir) return std::unexpected(std::string("no config dir"));
  if (state_->read_error) {
    return std::unexpected("the credential vault could not be read, so it was left unchanged: " + *state_->read_error);
  }
  if (!state_->key) {
    auto key = VaultKey::generate();
    std::string errors;
    for (const auto& place : state_->custody) {
      auto stored = place->store(key);
      if (stored) {
        state_->key = HeldKey{key, place->local()};
        break;
      }
      errors += (errors.empty() ? "" : "; ") + stored.error();
    }
    if (!state_->key) return std::unexpected("could not keep the credential vault key: " + errors);
  }
  return atomic_file::write_creating_parent_with_mode(*state_->dir / kVaultFileName,
                                                      seal(state_->entries, state_->key->key), 0600);
}

bool SecretVault::uses_local_key() const {
  return state_->key ? state_->key->local : state_->local_when_created;
}

const std::optional<std::string>& SecretVault::read_error() const { return state_->read_error; }

std::optional<std::filesystem::path> SecretVault::file() const {
  if (!state_->dir) return std::nullopt;
  return *state_->dir / kVaultFileName;
}

}  // namespace accounts::vault
