// Choosing, removing and protecting the user's identities in an identity directory.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>

#include "orvo_dbus_testing/stand_in_bus.h"
#include "orvo_identity/local_identity.h"

namespace {

namespace id = runtime_identity::unix;
using orvo_user_identity::Seed;

Seed seed_of(std::uint8_t fill) {
  std::array<std::uint8_t, 32> bytes;
  bytes.fill(fill);
  return Seed(bytes);
}

class IdentityDir : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvo-identities-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
    ASSERT_TRUE(id::store_identity(dir_, "home", seed_of(1), true).has_value());
    ASSERT_TRUE(id::store_identity(dir_, "work", seed_of(2), false).has_value());
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  bool active(const std::string& name) { return id::find_identity(dir_, name).value().record.active; }
  std::string record_text(const std::string& name) {
    std::ifstream in(dir_ / name / "identity.json");
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::filesystem::path dir_;
};

TEST_F(IdentityDir, ChoosingMovesTheOneActiveMark) {
  ASSERT_TRUE(id::set_active_identity(dir_, "work").has_value());
  EXPECT_TRUE(active("work"));
  EXPECT_FALSE(active("home"));
  EXPECT_EQ(id::set_active_identity(dir_, "gone").error().kind, orvo_runtime::IoErrorKind::NotFound);
  EXPECT_EQ(id::set_active_identity(dir_, "../home").error().kind, orvo_runtime::IoErrorKind::InvalidData);
  EXPECT_TRUE(active("work"));
}

TEST_F(IdentityDir, TheActiveIdentityIsNeverRemoved) {
  EXPECT_EQ(id::remove_identity(dir_, "home").error().text, "the active identity cannot be removed");
  EXPECT_TRUE(std::filesystem::exists(dir_ / "home" / "seed.bin"));
  ASSERT_TRUE(id::remove_identity(dir_, "work").has_value());
  EXPECT_FALSE(std::filesystem::exists(dir_ / "work"));
  EXPECT_EQ(id::list_identities(dir_).value().size(), 1u);
}

TEST_F(IdentityDir, OptionalFieldsReadWithTheirDefaultsAndAreNotWritten) {
  const auto home = id::find_identity(dir_, "home").value().record;
  EXPECT_EQ(home.protection(), id::SigningProtection::PrivateFile);
  EXPECT_EQ(home.threshold_or_one(), 1);
  EXPECT_EQ(record_text("home").find("protection"), std::string::npos);
  EXPECT_EQ(record_text("home").find("label"), std::string::npos);
}

TEST_F(IdentityDir, ProtectingWithoutAKeyringChangesNothing) {
  ORVO_STAND_IN_BUS(bus);
  const auto before = record_text("work");
  const auto failed = id::secure_identity(dir_, "work");
  ASSERT_FALSE(failed.has_value());
  EXPECT_TRUE(failed.error().text.starts_with("Could not protect the identity: ")) << failed.error().text;
  EXPECT_TRUE(std::filesystem::exists(dir_ / "work" / "seed.bin"));
  EXPECT_EQ(record_text("work"), before);
}

TEST_F(IdentityDir, ProtectingMovesTheKeyIntoTheKeyring) {
  ORVO_STAND_IN_BUS(bus);
  ORVO_STAND_IN_MOCK(bus, "org.freedesktop.secrets", "--template",
                     std::string(ORVO_SOURCE_DIR) + "/platform/accounts/tests/fixtures/secret_service.py");
  ASSERT_TRUE(id::secure_identity(dir_, "work").has_value());
  EXPECT_FALSE(std::filesystem::exists(dir_ / "work" / "seed.bin"));
  EXPECT_EQ(id::find_identity(dir_, "work").value().record.protection(), id::SigningProtection::DesktopKeyring);
  auto signer = id::load(dir_, "work");
  ASSERT_TRUE(signer.has_value()) << signer.error().text;
  EXPECT_EQ(signer->identity().user_public_key, orvo_user_identity::ed25519::public_key(seed_of(2)));
  // Nothing left to move.
  EXPECT_FALSE(id::secure_identity(dir_, "work").has_value());
}

}  // namespace
