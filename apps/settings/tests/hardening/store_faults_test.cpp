// The smaller stores beside the settings file (shortcuts, desktop controls, the remembered window
// size, home-peer health) under the same hostile conditions as the settings file: text that is not
// theirs, links to another program's file, special files where the file should be, members they do
// not know and a permissive umask. Each case runs in a temporary home.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>

#include <nlohmann/json.hpp>

#include "../device_local/temp_home.h"
#include "orvo_runtime/atomic_file.h"
#include "orvo_testing/scoped_env.h"
#include "panes/device_mesh/home_peers.h"
#include "services/mesh_files.h"
#include "settings_store/settings_file.h"
#include "settings_store/shortcut_config.h"
#include "window_size_store.h"

namespace {

namespace fs = std::filesystem;
namespace hw = settings_store::hardware;
namespace mesh = settings::panes::device_mesh;
using settings::device_local::testing::TempHome;

std::optional<std::string> bytes_of(const fs::path& path) {
  auto read = atomic_file::read_existing(path);
  if (!read) return std::nullopt;
  return *read;
}

mode_t mode_of(const fs::path& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return 0;
  return info.st_mode;
}

// A temporary home with the identity root in it, and the path and writer of each store.
struct Homes {
  TempHome home;
  orvo_testing::ScopedEnv identity{"ORVO_IDENTITY_ROOT", (home.root() / "identity").string()};
};

struct Store {
  const char* name;
  std::function<fs::path(const Homes&)> path;
  // Saves a change: the error ("" for success), or none when the store does not answer (the window
  // size is simply not remembered).
  std::function<std::optional<std::string>(const Homes&)> save;
  // Text of this store with a member of the wrong type.
  std::string wrong_type;
};

std::optional<std::string> error_of(const std::expected<void, std::string>& result) {
  if (result) return std::string();
  return result.error();
}

const Store kStores[] = {
    {"shortcuts", [](const Homes&) { return *hw::ShortcutConfig::path(); },
     [](const Homes&) {
       auto config = hw::ShortcutConfig::defaults();
       (void)config.set(3, *hw::KeyChord::parse("Super+K"));
       return error_of(config.save());
     },
     R"({"bindings": ["Super+K"]})"},
    {"desktop controls", [](const Homes&) { return *hw::DesktopControlsConfig::path(); },
     [](const Homes&) {
       hw::DesktopControlsConfig config;
       config.vim_mode = true;
       return error_of(config.save());
     },
     R"({"vim_mode": "yes"})"},
    {"window size", [](const Homes& h) { return h.home.root() / "state" / orvo_ui::window_size_store::kFileName; },
     [](const Homes& h) {
       orvo_ui::window_size_store::save(h.home.root() / "state", orvo_ui::WindowSize{900, 700});
       return std::optional<std::string>();
     },
     R"({"width": "wide", "height": 700})"},
    {"home-peer health", [](const Homes&) { return mesh::home_peer_health_path(); },
     [](const Homes&) { return error_of(mesh::write_home_peer_health({{"p1", 1700000000000}})); }, R"(true)"},
};

TEST(StoreFaults, AFileThatIsNotTheStoresIsNeverWrittenOverAndTheChangeSaysWhy) {
  enum class Place { File, Link, Fifo, Directory };
  struct Damage {
    const char* what;
    Place place;
    std::string text;  // for the wrong type: the store's own
  };
  const Damage damages[] = {
      {"truncated", Place::File, R"({"bindings": {"3": "Super+)"},
      {"binary", Place::File, std::string("\x7f" "ELF\x02\x01\x00\xff\xfe", 9)},
      {"an array", Place::File, "[1, 2]"},
      {"a member of the wrong type", Place::File, ""},
      {"a link to a file that is not JSON", Place::Link, "root:x:0:0:root:/root:/bin/bash\n"},
      {"a FIFO", Place::Fifo, ""},
      {"a directory", Place::Directory, ""},
  };
  for (const auto& store : kStores) {
    SCOPED_TRACE(store.name);
    for (const auto& damage : damages) {
      SCOPED_TRACE(damage.what);
      Homes homes;
      const fs::path path = store.path(homes);
      fs::create_directories(path.parent_path());
      fs::path held = path;  // where the bytes that must stay are
      std::string before = damage.text.empty() && damage.place == Place::File ? store.wrong_type : damage.text;
      switch (damage.place) {
        case Place::File: homes.home.write(fs::relative(path, homes.home.root()).string(), before); break;
        case Place::Link:
          held = homes.home.root() / "passwd-copy";
          homes.home.write("passwd-copy", before);
          fs::create_symlink(held, path);
          break;
        case Place::Fifo: ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); break;
        case Place::Directory: fs::create_directory(path); break;
      }
      const mode_t type_before = mode_of(path);

      const auto answer = store.save(homes);
      if (answer) {
        EXPECT_TRUE(answer->starts_with("could not read " + held.string() + ": ")) << *answer;
      } else {
        EXPECT_FALSE(orvo_ui::window_size_store::load(path.parent_path()).has_value());
      }
      EXPECT_EQ(mode_of(path), type_before) << "the store's path is the same kind of file";
      if (damage.place == Place::File || damage.place == Place::Link) {
        EXPECT_EQ(bytes_of(held), before);
      }
      if (damage.place == Place::Link) {
        EXPECT_EQ(fs::read_symlink(path), held);
      }
      if (damage.place == Place::Directory) {
        EXPECT_TRUE(fs::is_empty(path));
      }
      EXPECT_EQ(std::distance(fs::directory_iterator(path.parent_path()), {}), 1) << "no temporary file is left";
    }
  }
}

TEST(StoreFaults, MembersAStoreDoesNotKnowAreKeptThroughASave) {
  struct Row {
    const char* store;
    std::string before;
    std::string after;
  };
  const Row rows[] = {
      {"shortcuts", R"({"version": 2, "bindings": {"3": "Super+S"}, "theme": {"accent": "teal"}})",
       "{\n  \"version\": 2,\n  \"bindings\": {\n",  // the bindings follow, then the theme
      },
      {"desktop controls", R"({"cursor": [1, 2], "vim_mode": false, "z": null})",
       "{\n  \"cursor\": [\n    1,\n    2\n  ],\n  \"vim_mode\": true,\n  \"z\": null\n}"},
      {"window size", R"({"display": "DP-1", "width": 800, "height": 600})",
       "{\"display\":\"DP-1\",\"width\":900,\"height\":700}\n"},
      // A member whose value is not a time is kept, and does not hide the others from the reader.
      {"home-peer health", R"({"p0": "soon", "p2": 5})",
       "{\n  \"p0\": \"soon\",\n  \"p2\": 5,\n  \"p1\": 1700000000000\n}"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.store);
    const auto& store = *std::find_if(std::begin(kStores), std::end(kStores),
                                      [&](const Store& s) { return std::string_view(s.name) == row.store; });
    Homes homes;
    const fs::path path = store.path(homes);
    homes.home.write(fs::relative(path, homes.home.root()).string(), row.before);
    if (std::string_view(row.store) == "home-peer health") {
      EXPECT_EQ(mesh::load_home_peer_health(), (std::unordered_map<std::string, std::uint64_t>{{"p2", 5}}));
    }
    EXPECT_EQ(store.save(homes).value_or(""), "");
    const auto after = bytes_of(path).value_or("");
    if (std::string_view(row.store) == "shortcuts") {
      EXPECT_TRUE(after.starts_with(row.after)) << after;
      EXPECT_NE(after.find("\"3\": \"Super+K\""), std::string::npos) << after;
      EXPECT_TRUE(after.ends_with("  },\n  \"theme\": {\n    \"accent\": \"teal\"\n  }\n}")) << after;
    } else {
      EXPECT_EQ(after, row.after);
    }
  }
}

TEST(StoreFaults, EveryStoreIsOwnerOnlyWhateverTheUmask) {
  for (const auto& store : kStores) {
    SCOPED_TRACE(store.name);
    Homes homes;
    const fs::path path = store.path(homes);
    fs::create_directories(path.parent_path());
    const mode_t saved = ::umask(0);
    const auto answer = store.save(homes);
    ::umask(saved);
    EXPECT_EQ(answer.value_or(""), "");
    EXPECT_EQ(mode_of(path) & 07777, 0600u);
  }
}

TEST(StoreFaults, SpecialFilesAtTheSettingsFileAreRefusedWithoutWaitingOrReadingWithoutEnd) {
  struct Row {
    const char* what;
    std::function<void(const fs::path&)> make;
    std::string reason;
    std::optional<fs::path> named = std::nullopt;  // the file the sentence names, when not the settings file
  };
  const Row rows[] = {
      {"a FIFO nobody writes to", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); },
       "not a regular file"},
      {"a link to an endless device", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); },
       "not a regular file", "/dev/zero"},
      {"a directory", [](const fs::path& p) { fs::create_directory(p); }, "Is a directory"},
      {"a file over the size limit",
       [](const fs::path& p) {
         std::ofstream(p, std::ios::binary) << "{}";
         fs::resize_file(p, atomic_file::kStateFileCap + 1);
       },
       "the file is larger than 16777216 bytes"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    TempHome home;
    const fs::path path = home.preferences_path();
    fs::create_directories(path.parent_path());
    row.make(path);
    const mode_t type_before = mode_of(path);
    EXPECT_FALSE(settings_store::load_section("notifications").has_value());
    const auto saved = settings_store::update_section("notifications", [](nlohmann::ordered_json& section) {
      section["dnd"] = true;
      return true;
    });
    ASSERT_FALSE(saved.has_value());
    EXPECT_EQ(saved.error(), "could not read " + row.named.value_or(path).string() + ": " + row.reason);
    EXPECT_EQ(mode_of(path), type_before);
  }
}

}  // namespace
