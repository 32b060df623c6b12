// The preferences file on disk: saves that merge into what is there, and saves that must fail
// without touching it.
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "orvo_runtime/system_paths.h"
#include "orvo_testing/temp_dir.h"
#include "preferences/preferences_file.h"

namespace settings::preferences {
namespace {

namespace fs = std::filesystem;
using orvo_testing::read_file;

void write_file(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// A configuration directory of its own for each test.
class PreferencesFileOnDisk : public ::testing::Test {
 protected:
  PreferencesFileOnDisk() {
    char pattern[] = "/tmp/orvo-prefs-XXXXXX";
    root_ = ::mkdtemp(pattern);
    paths_.emplace("/", root_ / "config");
  }
  ~PreferencesFileOnDisk() override {
    paths_.reset();
    fs::remove_all(root_);
  }

  fs::path file() const { return root_ / "config" / "orvo" / "settings.json"; }
  fs::path dir() const { return file().parent_path(); }
  // Whatever is in the directory besides the file: a save must leave no temporary file behind.
  std::size_t entries() const {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir())) ++n;
    return n;
  }

  fs::path root_;
  std::optional<system_paths::ScopedOverride> paths_;
};

TEST_F(PreferencesFileOnDisk, SavesMergeIntoTheFileAndLoadReadsThemBack) {
  EXPECT_EQ(load_preferences(), Preferences{});
  EXPECT_EQ(load_locale_preferences(), Locale{});

  write_file(file(), R"({"continuity":{"on":true},"locale":{"currency":"GBP"}})");
  Preferences prefs = load_preferences();
  prefs.power.blank_minutes = 3;
  prefs.input.keyboard_layouts = {"us", "fr"};
  const auto saved = save_preferences(prefs);
  ASSERT_TRUE(saved.has_value()) << saved.error();
  EXPECT_EQ(*saved, file());
  EXPECT_EQ(load_preferences(), prefs);
  EXPECT_EQ(load_locale_preferences().currency, Currency::GBP);

  ASSERT_TRUE(save_locale_preferences(Locale{.time_format = TimeFormat::H12}).has_value());
  EXPECT_EQ(load_preferences(), prefs);
  EXPECT_EQ(load_locale_preferences().time_format, TimeFormat::H12);
  const std::string text = read_file(file());
  EXPECT_EQ(text.find("\"continuity\""), text.find('"', 1)) << "the foreign key keeps its first place:\n" << text;
  EXPECT_EQ(entries(), 1U);
}

TEST_F(PreferencesFileOnDisk, SaveCreatesTheDirectoryOwnerOnlyAndKeepsAStricterFileMode) {
  const mode_t mask = ::umask(0);
  const auto saved = save_preferences(Preferences{});
  ::umask(mask);
  ASSERT_TRUE(saved.has_value()) << saved.error();
  EXPECT_EQ(fs::status(dir()).permissions(), static_cast<fs::perms>(0700));
  EXPECT_EQ(fs::status(file()).permissions(), static_cast<fs::perms>(0600));

  fs::permissions(file(), static_cast<fs::perms>(0400));
  ASSERT_TRUE(save_preferences(Preferences{}).has_value());
  EXPECT_EQ(fs::status(file()).permissions(), static_cast<fs::perms>(0400));
}

TEST_F(PreferencesFileOnDisk, SaveWritesThroughASymbolicLink) {
  const fs::path real = root_ / "dotfiles" / "settings.json";
  write_file(real, R"({"mine":1})");
  fs::create_directories(dir());
  fs::create_symlink(real, file());
  ASSERT_TRUE(save_preferences(Preferences{}).has_value());
  EXPECT_TRUE(fs::is_symlink(file()));
  EXPECT_NE(read_file(real).find("\"mine\": 1"), std::string::npos);
}

TEST_F(PreferencesFileOnDisk, LoadTakesDefaultsForAFileItCannotRead) {
  fs::create_directories(file());
  EXPECT_EQ(load_preferences(), Preferences{});
  EXPECT_EQ(load_locale_preferences(), Locale{});
}

TEST_F(PreferencesFileOnDisk, SaveOntoADirectoryWritesNothing) {
  fs::create_directories(file());
  for (const auto& result : {save_preferences(Preferences{}), save_locale_preferences(Locale{})}) {
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error(), "could not read " + file().string() + ": Is a directory");
  }
  EXPECT_TRUE(fs::is_directory(file()));
  EXPECT_TRUE(fs::is_empty(file()));
  EXPECT_EQ(entries(), 1U);
}

TEST_F(PreferencesFileOnDisk, SaveOntoTextThatIsNotUtf8WritesNothing) {
  const std::string old = "{\"theirs\":\"caf\xe9\"}";
  write_file(file(), old);
  const auto result = save_preferences(Preferences{});
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error(), "could not read " + file().string() + ": the file is not UTF-8 text");
  EXPECT_EQ(read_file(file()), old);
}

TEST_F(PreferencesFileOnDisk, SaveUnderAFileWhereTheDirectoryShouldBeFails) {
  write_file(dir(), "a file");
  const auto result = save_preferences(Preferences{});
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error().rfind("could not create " + dir().string() + ": ", 0), 0U) << result.error();
  EXPECT_EQ(read_file(dir()), "a file");
}

TEST_F(PreferencesFileOnDisk, ASaveThatCannotFinishLeavesTheOldFile) {
  const std::string old = R"({"locale":{"currency":"CHF"},"other":)" + std::string(200, '1') + "}";
  write_file(file(), old);

  // The child's files may not grow past 100 bytes. With SIGXFSZ at its default the child is killed
  // in the middle of writing, as in a crash; with it ignored the write fails, as on a full disk.
  for (const bool killed : {false, true}) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::signal(SIGXFSZ, killed ? SIG_DFL : SIG_IGN);
      const rlimit limit{100, 100};
      ::setrlimit(RLIMIT_FSIZE, &limit);
      const auto result = save_preferences(Preferences{});
      ::_exit(result.has_value() ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    if (killed) {
      ASSERT_TRUE(WIFSIGNALED(status)) << status;
      EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
    } else {
      ASSERT_TRUE(WIFEXITED(status)) << status;
      EXPECT_EQ(WEXITSTATUS(status), 3) << "the failed write is reported";
      EXPECT_EQ(entries(), 1U) << "the temporary file is removed";
    }
    EXPECT_EQ(read_file(file()), old);
    EXPECT_EQ(load_locale_preferences().currency, Currency::CHF);
  }
}

// Without HOME and XDG_CONFIG_HOME there is no configuration directory.
TEST(PreferencesFileWithoutConfigDir, SaveReportsNoConfigDirAndLoadGivesDefaults) {
  struct SavedEnv {
    const char* name;
    std::optional<std::string> value;
  } saved[] = {{"HOME", std::nullopt}, {"XDG_CONFIG_HOME", std::nullopt}};
  for (auto& env : saved) {
    if (const char* v = std::getenv(env.name)) env.value = v;
    ::unsetenv(env.name);
  }
  const auto prefs = save_preferences(Preferences{});
  const auto locale = save_locale_preferences(Locale{});
  const auto loaded = load_preferences();
  for (const auto& env : saved) {
    if (env.value) ::setenv(env.name, env.value->c_str(), 1);
  }
  ASSERT_FALSE(prefs.has_value());
  EXPECT_EQ(prefs.error(), "no config dir");
  ASSERT_FALSE(locale.has_value());
  EXPECT_EQ(locale.error(), "no config dir");
  EXPECT_EQ(loaded, Preferences{});
}

}  // namespace
}  // namespace settings::preferences
