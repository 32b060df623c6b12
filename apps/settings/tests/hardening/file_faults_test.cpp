// The application's files under hostile conditions, each case in a temporary home: text that is not
// ours, symbolic links, killed writers, a permissive umask, an unreadable vault and keys written by
// a newer version. Each checks the file's bytes and mode before and after, and the answer's text.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>

#include "../device_local/temp_home.h"
#include "accounts/account_kind.h"
#include "accounts/remove_account.h"
#include "accounts/secret_vault.h"
#include "accounts/store_access.h"
#include "agent_provider_config/provider_config.h"
#include "device_local/local_operations.h"
#include "orvo_runtime/atomic_file.h"

namespace {

namespace fs = std::filesystem;
using settings::actions::InputOperation;
using settings::device_local::testing::TempHome;

const settings::device_local::KeyboardLayoutCatalogue kCatalogue = [] {
  return std::vector<settings_store::hardware::KeyboardLayout>{{"us", "English (US)"}};
};

std::optional<std::string> bytes_of(const fs::path& path) {
  auto read = atomic_file::read_existing(path);
  if (!read) return std::nullopt;
  return *read;
}

mode_t mode_of(const fs::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return 0;
  return info.st_mode & 07777;
}

// The answer the door gives for `act` (tap to click off).
std::string tap_to_click_off() {
  const auto outcome = settings::device_local::run_input_operation(InputOperation::SetTapToClick{false}, kCatalogue);
  return outcome.message;
}

class UmaskScope {
 public:
  explicit UmaskScope(mode_t mask) : saved_(::umask(mask)) {}
  ~UmaskScope() { ::umask(saved_); }

 private:
  mode_t saved_;
};

// The id of a process that has ended.
pid_t ended_process() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  int status = 0;
  ::waitpid(child, &status, 0);
  return child;
}

TEST(FileFaults, ASaveOverAPreferencesFileThatIsNotAJsonObjectLeavesItByteForByte) {
  struct Row {
    const char* what;
    std::string before;
    std::string reason;
  };
  const Row rows[] = {
      {"cut short", R"({"version":1,"foreign":{"keep":tr)", "EOF while parsing a value at line 1 column 33"},
      {"an array", R"([{"foreign":1}])", "the file holds JSON that is not an object"},
      {"nested deeper than the reader goes", "{\"foreign\":" + std::string(200, '[') + std::string(200, ']') + "}",
       "recursion limit exceeded at line 1 column 139"},
      {"a NUL byte after the object", std::string("{\"foreign\":1}\0junk", 18), "the file holds a NUL byte"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    for (const bool linked : {false, true}) {
      SCOPED_TRACE(linked ? "through a symbolic link" : "the file itself");
      TempHome home;
      const fs::path file = linked ? home.root() / "dotfiles/settings.json" : home.preferences_path();
      home.write(fs::relative(file, home.root()).string(), row.before);
      fs::permissions(file, fs::perms(0644));
      if (linked) {
        fs::create_directories(home.preferences_path().parent_path());
        fs::create_symlink(file, home.preferences_path());
      }
      EXPECT_EQ(tap_to_click_off(), "could not persist input preferences: could not read " + file.string() + ": " +
                                        row.reason);
      EXPECT_EQ(bytes_of(file), row.before);
      EXPECT_EQ(mode_of(file), 0644u);
      EXPECT_EQ(fs::is_symlink(home.preferences_path()), linked);
      EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), {}), 1) << "no temporary file is left";
    }
  }
}

TEST(FileFaults, AnObjectIsWrittenThroughItsLinkKeepingForeignKeysAndBecomesOwnerOnly) {
  TempHome home;
  const fs::path real = home.root() / "dotfiles/settings.json";
  home.write("dotfiles/settings.json", R"({"version":1,"foreign":{"keep":true}})");
  fs::permissions(real, fs::perms(0644));
  fs::create_directories(home.preferences_path().parent_path());
  fs::create_symlink("../../dotfiles/settings.json", home.preferences_path());

  EXPECT_EQ(tap_to_click_off(), "tap to click updated");
  EXPECT_TRUE(fs::is_symlink(home.preferences_path()));
  const auto after = bytes_of(real).value_or("");
  EXPECT_NE(after.find("\"foreign\": {\n    \"keep\": true\n  }"), std::string::npos) << after;
  EXPECT_NE(after.find("\"tap_to_click\": false"), std::string::npos) << after;
  EXPECT_EQ(mode_of(real), 0600u);
}

TEST(FileFaults, AWriteRemovesOnlyTheTemporariesOfItsTargetWhoseWriterHasEnded) {
  TempHome home;
  home.write_preferences("{}");
  const fs::path dir = home.preferences_path().parent_path();
  const std::string hex = "0123456789abcdef";
  const auto dead = std::to_string(ended_process());
  const auto live = std::to_string(::getppid());
  struct Row {
    std::string name;
    bool kept;
    std::optional<std::chrono::minutes> age;
  };
  const Row rows[] = {
      {".settings.json.tmp-" + dead + "-" + hex, false, std::nullopt},
      {".settings.json.tmp-" + live + "-" + hex, true, std::nullopt},
      {".settings.json.tmp-" + hex, false, std::chrono::minutes(60)},
      {".settings.json.tmp-" + hex.substr(0, 15) + "0", true, std::nullopt},
      {".settings.json.tmp-" + dead + "-notmine", true, std::nullopt},
      {".other.json.tmp-" + dead + "-" + hex, true, std::nullopt},
  };
  for (const auto& row : rows) {
    home.write(fs::relative(dir / row.name, home.root()).string(), "partial");
    if (row.age) fs::last_write_time(dir / row.name, fs::file_time_type::clock::now() - *row.age);
  }

  EXPECT_EQ(tap_to_click_off(), "tap to click updated");
  for (const auto& row : rows) EXPECT_EQ(fs::exists(dir / row.name), row.kept) << row.name;
  EXPECT_EQ(bytes_of(dir / rows[1].name), "partial");
}

// What the program creates under the configuration home is the owner's alone, whatever the umask;
// a file that is stricter already stays so.
TEST(FileFaults, FoldersAreOwnerOnlyAndFilesOwnerOnlyWhateverTheUmask) {
  for (const mode_t mask : {mode_t{0}, mode_t{022}, mode_t{077}}) {
    SCOPED_TRACE(mask);
    accounts::vault::LocalKeyOnly local_key;
    TempHome home;
    const fs::path orvo = home.root() / "config/orvo";
    {
      UmaskScope scope(mask);
      auto vault = settings::accounts::open_secret_vault(std::nullopt);
      vault.put("m1", {orvo_secret::SecretString("secret"), std::nullopt});
      ASSERT_TRUE(vault.try_save().has_value());
      agent_provider_config::ProviderConfig config;
      config.upsert(agent_provider_config::ProviderProfile::hosted(agent_provider_config::ProviderProtocol::Anthropic));
      ASSERT_TRUE(config.save().has_value());
      ASSERT_TRUE(settings::accounts::save_account_store(std::nullopt, {}).has_value());
      EXPECT_EQ(tap_to_click_off(), "tap to click updated");
    }
    for (const auto* folder : {"", "vault", "accounts"}) EXPECT_EQ(mode_of(orvo / folder), 0700u) << folder;
    for (const auto* file : {"vault/vault.enc", "vault/vault.key", "agent-providers.json", "accounts/accounts.json",
                             "settings.json"}) {
      EXPECT_EQ(mode_of(orvo / file), 0600u) << file;
    }
    fs::permissions(orvo / "settings.json", fs::perms(0400));
    EXPECT_EQ(tap_to_click_off(), "tap to click updated");
    EXPECT_EQ(mode_of(orvo / "settings.json"), 0400u);
  }
}

TEST(FileFaults, RemovingAnAccountWhoseVaultCannotBeReadChangesNothing) {
  accounts::vault::LocalKeyOnly local_key;
  TempHome home;
  const fs::path orvo = home.root() / "config/orvo";
  ::accounts::AccountStore store;
  store.upsert(::accounts::Account::make("w1", "webdav"));
  ASSERT_TRUE(settings::accounts::save_account_store(std::nullopt, store).has_value());
  ::accounts::status::AccountSyncStatusStore statuses;
  statuses.statuses["w1"] = {::accounts::status::AccountSyncHealth::Healthy, 1, 1, std::nullopt};
  ASSERT_TRUE(settings::accounts::save_sync_statuses(std::nullopt, statuses).has_value());
  auto vault = settings::accounts::open_secret_vault(std::nullopt);
  vault.put("w1", {orvo_secret::SecretString("files secret"), std::nullopt});
  ASSERT_TRUE(vault.try_save().has_value());
  // Another key in the key file's place: the vault no longer opens.
  home.write("config/orvo/vault/vault.key", std::string(32, 'k'));

  const fs::path files[] = {orvo / "accounts/accounts.json", orvo / "accounts/sync-status.json",
                            orvo / "vault/vault.enc"};
  std::vector<std::optional<std::string>> before;
  for (const auto& file : files) before.push_back(bytes_of(file));

  auto removed = settings::panes::accounts::remove_account(std::nullopt, settings::accounts::AccountKind::WebDav, "w1");
  ASSERT_FALSE(removed.has_value());
  EXPECT_EQ(removed.error(),
            "could not remove saved credential: the credential vault could not be read: the credential vault could "
            "not be decrypted");
  for (std::size_t i = 0; i < std::size(files); ++i) {
    EXPECT_EQ(bytes_of(files[i]), before[i]) << files[i];
    EXPECT_EQ(mode_of(files[i]), 0600u) << files[i];
  }
  EXPECT_FALSE(fs::exists(orvo / "accounts/mutation-journal.json"));
}

// Each store saved after a load keeps the top-level keys it has no field for.
TEST(FileFaults, StoresKeepTopLevelKeysWrittenByANewerVersion) {
  struct Row {
    const char* file;
    std::string before;
    std::function<std::expected<void, std::string>()> load_and_save;
    std::string after;
  };
  const Row rows[] = {
      {"agent-providers.json", R"({"profiles":[],"future":{"x":[1,2]},"default_provider":"p","later":true})",
       [] {
         auto config = agent_provider_config::ProviderConfig::try_load();
         if (!config) return std::expected<void, std::string>(std::unexpected(config.error()));
         config->default_provider.reset();
         return config->save();
       },
       R"({"default_provider":null,"profiles":[],"future":{"x":[1,2]},"later":true})"},
      {"accounts/accounts.json", R"({"future":"kept","accounts":[],"active":{}})",
       [] {
         auto store = settings::accounts::load_account_store_strict(std::nullopt);
         if (!store) return std::expected<void, std::string>(std::unexpected(store.error()));
         store->active["email"] = "m1";
         return settings::accounts::save_account_store(std::nullopt, *store);
       },
       R"({"accounts":[],"active":{"email":"m1"},"future":"kept"})"},
      {"accounts/sync-status.json", R"({"statuses":{},"future":7})",
       [] {
         auto statuses = settings::accounts::load_sync_statuses_strict(std::nullopt);
         if (!statuses) return std::expected<void, std::string>(std::unexpected(statuses.error()));
         return settings::accounts::save_sync_statuses(std::nullopt, *statuses);
       },
       R"({"statuses":{},"future":7})"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.file);
    TempHome home;
    home.write(std::string("config/orvo/") + row.file, row.before);
    const auto saved = row.load_and_save();
    ASSERT_TRUE(saved.has_value()) << saved.error();
    EXPECT_EQ(bytes_of(home.root() / "config/orvo" / row.file), row.after);
  }
}

}  // namespace
