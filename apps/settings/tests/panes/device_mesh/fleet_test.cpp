#include "panes/device_mesh/fleet.h"

#include <gtest/gtest.h>

#include "mesh_env.h"
#include "orvo_identity/local_identity.h"
#include "orvo_identity/persist.h"
#include "orvo_json/json.h"

#include <nlohmann/json.hpp>
#include "services/mesh_files.h"

namespace settings::panes::device_mesh {
namespace {

using namespace orvo_user_identity;
using testing::MeshEnv;

Seed seed_of(std::uint8_t fill) {
  std::array<std::uint8_t, 32> bytes;
  bytes.fill(fill);
  return Seed(bytes);
}

DeviceCert cert_for(const Seed& user, const PublicKey& device, std::string label, bool host = false) {
  DeviceCert cert;
  cert.user_public_key = ed25519::public_key(user);
  cert.device_public_key = device;
  cert.device_label = std::move(label);
  cert.capabilities.can_act_as_host = host;
  cert.issued_at_ns = 1'700'000'000'000'000'000ULL;
  cert.signature = ed25519::sign(user, cert::device_cert_signing_digest(cert));
  return cert;
}

RevocationEntry revocation_of(const Seed& user, const PublicKey& device) {
  RevocationEntry entry{ed25519::public_key(user), device, 1'700'000'000'000'000'001ULL, RevocationReason::Lost, {}};
  entry.signature = ed25519::sign(user, revocation::revocation_signing_digest(entry));
  return entry;
}

PublicKey key_with_prefix(std::array<std::uint8_t, 6> prefix) {
  PublicKey key;
  key.bytes.fill(0x77);
  std::copy(prefix.begin(), prefix.end(), key.bytes.begin());
  return key;
}

// An active identity "alice" (user seed 1), this device's key pair (seed 2), and her fleet file.
class FleetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(runtime_identity::unix::store_identity(env.identity_dir(), "alice", user, true).has_value());
    ASSERT_TRUE(persist::write_device_key(identity_file_paths(env.device_root()).device_key_pair, seed_of(2)).has_value());
    fleet.identity_id = "alice";
    fleet.certificates = {cert_for(user, ed25519::public_key(seed_of(2)), "This laptop", true),
                          cert_for(user, key_with_prefix({0x00, 0x0A, 0x01, 0xFF, 0x10, 0x2B}), "Old phone")};
    fleet.revocations = {revocation_of(user, fleet.certificates[1].device_public_key)};
  }
  void write_fleet(const std::string& text) const { env.write("identities/fleets/alice.json", text); }
  void write_fleet() const { write_fleet(encode_fleet(fleet)); }
  std::string check_error() const {
    auto rows = check_fleet_identity();
    return rows ? std::string("ok") : rows.error().text;
  }

  MeshEnv env;
  Seed user = seed_of(1);
  StoredFleet fleet;
};

TEST_F(FleetTest, RowsMarkThisDeviceAndRevokedDevicesWithFullFingerprints) {
  write_fleet();
  auto rows = check_fleet_identity();
  ASSERT_TRUE(rows.has_value()) << rows.error().text;
  ASSERT_EQ(rows->size(), 2u);
  const auto own = ed25519::public_key(seed_of(2));
  EXPECT_EQ((*rows)[0], (FleetDeviceRow{"This laptop", hex_upper(std::span(own.bytes).first(6), " "), own, true,
                                        false, true}));
  EXPECT_EQ((*rows)[1], (FleetDeviceRow{"Old phone", "00 0A 01 FF 10 2B", fleet.certificates[1].device_public_key,
                                        false, true, false}));
  EXPECT_EQ((*rows)[1].fingerprint.size(), 17u);

  fleet.certificates.clear();
  write_fleet();
  EXPECT_EQ(check_fleet_identity().value(), std::vector<FleetDeviceRow>{});
}

TEST_F(FleetTest, WrittenPrettyWithTwoSpacesAndReadBack) {
  const std::string text = encode_fleet(fleet);
  EXPECT_EQ(text.rfind("{\n  \"schema_version\": 1,\n  \"identity_id\": \"alice\",\n  \"certificates\": [\n    {", 0), 0u)
      << text.substr(0, 120);
  EXPECT_EQ(orvo_json::decode<StoredFleet>(text).value(), fleet);
  write_fleet();
  EXPECT_EQ(load_verified_fleet(env.identity_dir(), "alice").value(), fleet);
  EXPECT_EQ(fleet_path(env.identity_dir(), "alice"), env.identity_dir() / "fleets/alice.json");
}

TEST_F(FleetTest, SchemaOrIdentityMismatchFailsEvenWithValidSignatures) {
  fleet.schema_version = 2;
  write_fleet();
  EXPECT_EQ(check_error(), "device fleet identity/schema mismatch");
  fleet.schema_version = 1;
  fleet.identity_id = "bob";
  write_fleet();
  const auto error = load_verified_fleet(env.identity_dir(), "alice").error();
  EXPECT_EQ(error, IoError::invalid_data("device fleet identity/schema mismatch"));
}

TEST_F(FleetTest, DecodingIsStrict) {
  auto value = orvo_json::encode_value(fleet);
  const auto fails_with = [&](const nlohmann::ordered_json& json, std::string_view reason) {
    write_fleet(json.dump());
    auto loaded = load_verified_fleet(env.identity_dir(), "alice");
    ASSERT_FALSE(loaded.has_value());
    EXPECT_EQ(loaded.error().kind, orvo_runtime::IoErrorKind::InvalidData);
    EXPECT_EQ(loaded.error().text.rfind(reason, 0), 0u) << loaded.error().text;
  };
  auto short_signature = value;
  short_signature["certificates"][0]["signature"].erase(0);
  fails_with(short_signature, "expected 64-byte signature, got 63");
  auto extra_top = value;
  extra_top["note"] = "x";
  fails_with(extra_top, "unknown field `note`");
  auto extra_in_cert = value;
  extra_in_cert["certificates"][1]["nickname"] = "x";
  fails_with(extra_in_cert, "unknown field `nickname`");

  auto absent_expiry = value;
  absent_expiry["certificates"][0].erase("expires_at_ns");
  write_fleet(absent_expiry.dump());
  EXPECT_FALSE(load_verified_fleet(env.identity_dir(), "alice").value().certificates[0].expires_at_ns.has_value());
  EXPECT_TRUE(value["certificates"][0]["expires_at_ns"].is_null());
  write_fleet(value.dump());
  EXPECT_TRUE(load_verified_fleet(env.identity_dir(), "alice").has_value());
}

TEST_F(FleetTest, TamperedRecordsAndForeignKeysFail) {
  fleet.certificates[1].device_label = "Renamed";
  write_fleet();
  EXPECT_EQ(check_error(), "device certificate signature is invalid");
  SetUp();
  fleet.revocations[0].reason = RevocationReason::Compromised;
  write_fleet();
  EXPECT_EQ(check_error(), "revocation entry signature is invalid");

  SetUp();
  fleet.certificates.push_back(cert_for(seed_of(9), key_with_prefix({1, 2, 3, 4, 5, 6}), "Stranger"));
  write_fleet();
  EXPECT_EQ(check_error(), "device fleet contains another identity");
  SetUp();
  fleet.revocations.push_back(revocation_of(seed_of(9), key_with_prefix({1, 2, 3, 4, 5, 6})));
  write_fleet();
  EXPECT_EQ(check_error(), "device fleet contains another identity");
}

TEST_F(FleetTest, MissingPiecesReportTheirKinds) {
  const auto missing = check_fleet_identity();
  ASSERT_FALSE(missing.has_value());
  EXPECT_EQ(missing.error().kind, orvo_runtime::IoErrorKind::NotFound);

  write_fleet();
  std::filesystem::remove(identity_file_paths(env.device_root()).device_key_pair);
  const auto no_key = check_fleet_identity();
  ASSERT_FALSE(no_key.has_value());
  EXPECT_EQ(no_key.error(), IoError::other("could not read device key pair: No such file or directory"));

  ASSERT_TRUE(runtime_identity::unix::store_identity(env.identity_dir(), "alice", user, false).has_value());
  EXPECT_EQ(check_fleet_identity().error(), IoError::not_found("no active identity"));
}

}  // namespace
}  // namespace settings::panes::device_mesh
