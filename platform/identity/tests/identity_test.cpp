#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "orvo_identity/keys.h"
#include "orvo_identity/local_identity.h"
#include "orvo_identity/persist.h"
#include "orvo_identity/records.h"
#include "orvo_runtime/system_paths.h"

namespace {

using namespace orvo_user_identity;

std::vector<std::uint8_t> from_hex(std::string_view hex) {
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    out.push_back(static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  }
  return out;
}

Seed seed_of(std::uint8_t fill) {
  std::array<std::uint8_t, 32> bytes;
  bytes.fill(fill);
  return Seed(bytes);
}

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvo-identity-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

struct Rfc8032Case {
  const char* secret;
  const char* public_key;
  const char* message;
  const char* signature;
};

TEST(IdentityCrypto, Ed25519PassesRfc8032Vectors) {
  const Rfc8032Case cases[] = {
      {"9d61b19deffd5a60ba844af492ec2cc44449c5697b326919703bac031cae7f60",
       "d75a980182b10ab7d54bfed3c964073a0ee172f3daa62325af021a68f707511a", "",
       "e5564300c360ac729086e2cc806e828a84877f1eb8e5d974d873e065224901555fb8821590a33bacc61e39701cf9b46bd25bf5f0595bbe24655141438e7a100b"},
      {"4ccd089b28ff96da9db6c346ec114e0f5b8a319f35aba624da8cf6ed4fb8a6fb",
       "3d4017c3e843895a92b70aa74d1b7ebc9c982ccf2ec4968cc0cd55f12af4660c", "72",
       "92a009a9f0d4cab8720e820b5f642540a2b27b5416503f8fb3762223ebdb69da085ac1e43e15996e458f3613d0f11d8c387b2eaeb4302aeeb00d291612bb0c00"},
      {"c5aa8df43f9f837bedb7442f31dcb7b166d38535076f094b85ce3a2e0b4458f7",
       "fc51cd8e6218a1a38da47ed00230f0580816ed13ba3303ac5deb911548908025", "af82",
       "6291d657deec24024827e69c3abe01a30ce548a284743a445e3680d7db5ac3ac18ff9b538d16f290ae67f760984dc6594a7c15e9716ed28dc027beceea1ec40a"},
  };
  for (const auto& c : cases) {
    const auto secret = from_hex(c.secret);
    const Seed seed(std::span<const std::uint8_t, 32>(secret.data(), 32));
    const auto message = from_hex(c.message);
    PublicKey expected_key;
    const auto key_bytes = from_hex(c.public_key);
    std::copy(key_bytes.begin(), key_bytes.end(), expected_key.bytes.begin());
    Signature expected_signature;
    const auto signature_bytes = from_hex(c.signature);
    std::copy(signature_bytes.begin(), signature_bytes.end(), expected_signature.bytes.begin());

    EXPECT_EQ(ed25519::public_key(seed), expected_key) << c.public_key;
    EXPECT_EQ(ed25519::sign(seed, message), expected_signature) << c.signature;
    EXPECT_TRUE(ed25519::verify(expected_key, message, expected_signature));
    auto altered = message;
    altered.push_back(0);
    EXPECT_FALSE(ed25519::verify(expected_key, altered, expected_signature));
  }
}

DeviceCert signed_cert(const Seed& user, const Seed& device) {
  DeviceCert cert;
  cert.user_public_key = ed25519::public_key(user);
  cert.device_public_key = ed25519::public_key(device);
  cert.device_label = "Laptop";
  cert.capabilities.can_act_as_host = true;
  cert.issued_at_ns = 1'700'000'000'000'000'000ULL;
  cert.signature = ed25519::sign(user, cert::device_cert_signing_digest(cert));
  return cert;
}

TEST(IdentityCrypto, CertificatesAndRevocationsVerifyAndEveryFieldIsSigned) {
  const Seed user = seed_of(1);
  const Seed device = seed_of(2);
  const DeviceCert good = signed_cert(user, device);
  EXPECT_TRUE(cert::verify_device_cert(good).has_value());

  std::vector<DeviceCert> tampered(6, good);
  tampered[0].device_label = "Laptop2";
  tampered[1].capabilities.can_read_all_workspaces = true;
  tampered[2].issued_at_ns += 1;
  tampered[3].expires_at_ns = good.issued_at_ns + 1;
  tampered[4].device_public_key = ed25519::public_key(seed_of(3));
  tampered[5].user_public_key = ed25519::public_key(seed_of(3));
  for (const auto& cert : tampered) {
    EXPECT_EQ(cert::verify_device_cert(cert).error(), "device certificate signature is invalid");
  }

  DeviceCert expired = good;
  expired.expires_at_ns = good.issued_at_ns - 1;
  expired.signature = ed25519::sign(user, cert::device_cert_signing_digest(expired));
  EXPECT_EQ(cert::verify_device_cert(expired).error(), "device certificate expires before it was issued");
  DeviceCert long_past = good;
  long_past.expires_at_ns = good.issued_at_ns;  // expired long ago by the wall clock: still verifies
  long_past.signature = ed25519::sign(user, cert::device_cert_signing_digest(long_past));
  EXPECT_TRUE(cert::verify_device_cert(long_past).has_value());

  RevocationEntry entry{ed25519::public_key(user), ed25519::public_key(device), 5, RevocationReason::Stolen, {}};
  entry.signature = ed25519::sign(user, revocation::revocation_signing_digest(entry));
  EXPECT_TRUE(revocation::verify_revocation_entry(entry).has_value());
  entry.reason = RevocationReason::Retired;
  EXPECT_EQ(revocation::verify_revocation_entry(entry).error(), "revocation entry signature is invalid");
}

TEST(IdentityRecords, RoundTripAndStrictDecoding) {
  const DeviceCert cert = signed_cert(seed_of(1), seed_of(2));
  const std::string text = orvo_json::encode(cert);
  EXPECT_NE(text.find(R"("device_label":"Laptop","capabilities":{"can_own_workspaces":false)"), std::string::npos);
  EXPECT_NE(text.find(R"("expires_at_ns":null,"signature":[)"), std::string::npos);
  EXPECT_EQ(orvo_json::decode<DeviceCert>(text).value(), cert);

  const auto error_of = [](std::string_view json) {
    auto r = orvo_json::decode<RevocationEntry>(json);
    return r ? std::string() : r.error().reason;
  };
  std::string zeros32 = "[0";
  for (int i = 1; i < 32; ++i) zeros32 += ",0";
  zeros32 += "]";
  std::string zeros64 = "[0";
  for (int i = 1; i < 64; ++i) zeros64 += ",0";
  zeros64 += "]";
  const std::string body = "\"user_public_key\":" + zeros32 + ",\"revoked_device_public_key\":" + zeros32 +
                           ",\"revoked_at_ns\":1,\"reason\":\"Lost\",\"signature\":";
  EXPECT_EQ(error_of("{" + body + zeros64 + "}"), "");
  EXPECT_EQ(error_of("[" + zeros32 + "," + zeros32 + ",1,\"Lost\"," + zeros64 + "]"), "");
  EXPECT_EQ(error_of("{" + body + "[1,2,3]}"), "expected 64-byte signature, got 3");
  EXPECT_EQ(error_of("{" + body + zeros64 + ",\"x\":1}"),
            "unknown field `x`, expected one of `user_public_key`, `revoked_device_public_key`, `revoked_at_ns`, "
            "`reason`, `signature`");
  EXPECT_EQ(error_of("{\"user_public_key\":[1]}"), "invalid length 1, expected an array of length 32");
  EXPECT_EQ(error_of("{\"user_public_key\":[256]}"), "invalid value: integer `256`, expected u8");
  EXPECT_EQ(error_of("{" + body.substr(0, body.find("\"Lost\"")) + "\"Misplaced\",\"signature\":" + zeros64 + "}"),
            "unknown variant `Misplaced`, expected one of `Lost`, `Stolen`, `Retired`, `Compromised`");
}

TEST(DeviceKeyFile, ReadsTheKeyPairAndRefusesDamage) {
  TempDir dir;
  const auto path = dir.path() / "device-private" / "keypair.bin";
  ASSERT_TRUE(persist::write_device_key(path, seed_of(7)).has_value());
  struct stat st{};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_EQ(::stat(path.parent_path().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  auto key = persist::read_device_key(path);
  ASSERT_TRUE(key.has_value()) << key.error().text;
  EXPECT_EQ(key->public_key(), ed25519::public_key(seed_of(7)));
  const std::vector<std::uint8_t> message = {1, 2, 3};
  EXPECT_TRUE(ed25519::verify(key->public_key(), message, key->sign(message)));

  std::string bytes;
  {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  const auto write = [&](const std::string& content) { std::ofstream(path, std::ios::binary | std::ios::trunc) << content; };
  write(bytes.substr(0, 63) + char(bytes[63] ^ 1));
  EXPECT_EQ(persist::read_device_key(path).error().text, "device key pair is damaged");
  write(bytes.substr(0, 12));
  EXPECT_EQ(persist::read_device_key(path).error().text, "device key pair has 12 bytes, expected 64");
  write(bytes + "x");
  EXPECT_EQ(persist::read_device_key(path).error().text, "device key pair has more than 64 bytes, expected 64");
  EXPECT_EQ(persist::read_device_key(dir.path() / "none").error().text,
            "could not read device key pair: No such file or directory");
}

TEST(LocalIdentities, ListResolveAndLoad) {
  TempDir dir;
  namespace id = runtime_identity::unix;
  EXPECT_EQ(id::list_identities(dir.path() / "missing").value(), std::vector<id::LocalIdentity>{});
  ASSERT_TRUE(id::store_identity(dir.path(), "b-second", seed_of(2), true).has_value());
  ASSERT_TRUE(id::store_identity(dir.path(), "a-first", seed_of(1), false).has_value());
  std::filesystem::create_directories(dir.path() / "not-an-identity");
  EXPECT_FALSE(id::store_identity(dir.path(), "../escape", seed_of(1), false).has_value());

  const auto listed = id::list_identities(dir.path()).value();
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[0].id, "a-first");
  id::LocalIdentity second;
  second.id = "b-second";
  second.user_public_key = ed25519::public_key(seed_of(2));
  second.active = true;
  EXPECT_EQ(listed[1], second);
  EXPECT_EQ(id::resolve_active_identity(dir.path()).value().id, "b-second");

  auto signer = id::load_from_path(dir.path() / "b-second");
  ASSERT_TRUE(signer.has_value()) << signer.error().text;
  const std::vector<std::uint8_t> message = {9};
  EXPECT_TRUE(ed25519::verify(listed[1].user_public_key, message, signer->sign(message)));

  ASSERT_TRUE(id::store_identity(dir.path(), "b-second", seed_of(2), false).has_value());
  EXPECT_EQ(id::resolve_active_identity(dir.path()).error(),
            (orvo_runtime::IoError{orvo_runtime::IoErrorKind::NotFound, "no active identity"}));

  std::ofstream(dir.path() / "a-first" / "identity.json") << R"({"id":"a-first"})";
  const auto damaged = id::list_identities(dir.path());
  ASSERT_FALSE(damaged.has_value());
  EXPECT_EQ(damaged.error().kind, orvo_runtime::IoErrorKind::InvalidData);
  EXPECT_NE(damaged.error().text.find("missing field `user_public_key`"), std::string::npos);
}

TEST(LocalIdentities, DirectoryComesFromTheVariableThenTheDataDirectory) {
  namespace id = runtime_identity::unix;
  ::setenv("ORVO_USER_IDENTITY_DIR", "/somewhere/ids", 1);
  EXPECT_EQ(id::identity_dir_from_env().value(), "/somewhere/ids");
  ::unsetenv("ORVO_USER_IDENTITY_DIR");
  system_paths::ScopedOverride root("/tmp/r", std::nullopt, std::nullopt, std::filesystem::path("/tmp/r/data"));
  EXPECT_EQ(id::identity_dir_from_env().value(), "/tmp/r/data/orvo/identities");
}

}  // namespace
