// The About page: the facts read from a root of fixture files, the short device id, the user's
// identity, and the page built from them.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "harness/pane_harness.h"
#include "orvo_identity/local_identity.h"
#include "orvo_runtime/bounded_command.h"
#include "orvo_ui/format.h"
#include "orvo_ui/widgets/button.h"
#include "panes/about/about_pane.h"

namespace settings::panes::about {
namespace {

using testing::PaneHarness;
using testing::PaneHome;

// The fact files under the home's root, each written only when given.
FactSources sources_in(const PaneHome& home) {
  return FactSources{home.system("/etc/os-release"), home.system("/proc/sys/kernel/osrelease"),
                     home.system("/proc/uptime"),    home.system("/proc/sys/kernel/hostname"),
                     home.system("/proc/cpuinfo"),   home.system("/proc/meminfo")};
}

TEST(AboutFacts, ReadFromTheFilesWithQuotesGoneAndMemoryInBytes) {
  PaneHome home;
  home.write("etc/os-release", "NAME=Orvo\n  PRETTY_NAME=\"Orvo OS 2 (Aurora)\"\nPRETTY_NAME=Later\n");
  home.write("proc/sys/kernel/osrelease", "6.8.0-orvo\n");
  home.write("proc/uptime", "90061.50 180000.00\n");
  home.write("proc/sys/kernel/hostname", "orvo-laptop\n");
  home.write("proc/cpuinfo",
             "processor\t: 0\nvendor_id\t: GenuineIntel\nmodel name\t: Example CPU @ 3.00GHz\n\n"
             "processor\t: 1\nmodel name\t: Second\n");
  home.write("proc/meminfo", "MemFree:         100 kB\nMemTotal:        8000000 kB\n");
  const SystemFacts facts = gather_system_facts(sources_in(home));
  EXPECT_EQ(facts.os_name, "Orvo OS 2 (Aurora)");
  EXPECT_EQ(facts.kernel, "6.8.0-orvo");
  EXPECT_EQ(facts.uptime, "1d 1h 1m");
  EXPECT_EQ(facts.hostname, "orvo-laptop");
  EXPECT_EQ(facts.processor, "Example CPU @ 3.00GHz");
  EXPECT_EQ(facts.memory, orvo_ui::format::bytes(8'192'000'000));
  EXPECT_EQ(facts.memory, "7.6 GiB");
  EXPECT_EQ(facts.architecture, build_architecture());
  EXPECT_FALSE(facts.identity_name);
}

TEST(AboutFacts, MissingOrUnreadableFilesGiveTheirFallbacks) {
  PaneHome home;
  SystemFacts facts = gather_system_facts(sources_in(home));
  EXPECT_EQ(facts.os_name, "unknown");
  EXPECT_EQ(facts.kernel, "unknown");
  EXPECT_EQ(facts.uptime, "unknown");
  EXPECT_EQ(facts.hostname, "this-device");
  EXPECT_EQ(facts.processor, "unknown");
  EXPECT_EQ(facts.memory, "unknown");

  // Present but saying nothing usable.
  home.write("etc/os-release", "PRETTY_NAME=\"\"\n");
  home.write("proc/sys/kernel/hostname", "  \n");
  home.write("proc/cpuinfo", "processor\t: 0\nFeatures\t: fp asimd\n");
  home.write("proc/meminfo", "MemTotal: lots kB\n");
  facts = gather_system_facts(sources_in(home));
  EXPECT_EQ(facts.os_name, "unknown");
  EXPECT_EQ(facts.hostname, "this-device");
  EXPECT_EQ(facts.processor, "unknown");
  EXPECT_EQ(facts.memory, "unknown");
}

TEST(AboutFacts, UptimeText) {
  const struct {
    const char* file;
    const char* text;
  } cases[] = {
      {"90061.5 1.0\n", "1d 1h 1m"}, {"3599 1\n", "59m"},       {"3600.99\n", "1h 0m"},  {"0.4\n", "0m"},
      {"86400\n", "1d 0h 0m"},       {"-1 5\n", "unknown"},     {"abc 5\n", "unknown"}, {"inf\n", "unknown"},
      {"nan\n", "unknown"},          {"12x\n", "unknown"},      {"\n", "unknown"},
  };
  for (const auto& c : cases) {
    PaneHome home;
    home.write("proc/uptime", c.file);
    EXPECT_EQ(gather_system_facts(sources_in(home)).uptime, c.text) << c.file;
  }
  EXPECT_EQ(uptime_text(1e300), "213503982334601d 7h 0m") << "saturates instead of wrapping";
}

TEST(AboutFacts, ShortDeviceIdFromTheIdentityKeyElseTheHostname) {
  SystemFacts facts;
  const struct {
    const char* hostname;
    const char* id;
  } hostnames[] = {{"this-device", "cb03\u00b71de3\u00b794c4\u00b7f5c4"}, {"orvo-laptop", "53d7\u00b7f025\u00b72d6e\u00b76c68"}};
  for (const auto& c : hostnames) {
    facts.hostname = c.hostname;
    EXPECT_EQ(short_device_id(facts), c.id) << c.hostname;
  }
  facts.identity_key_prefix = std::array<std::uint8_t, 8>{1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(short_device_id(facts), "0102\u00b70304\u00b70506\u00b70708") << "the key outranks the hostname";
  facts.identity_key_prefix = std::array<std::uint8_t, 8>{};
  EXPECT_EQ(short_device_id(facts), "0000\u00b70000\u00b70000\u00b70000") << "zero-padded";
}

class IdentityDir {
 public:
  explicit IdentityDir(const std::filesystem::path& dir) {
    if (const char* old = ::getenv("ORVO_USER_IDENTITY_DIR")) saved_ = old;
    ::setenv("ORVO_USER_IDENTITY_DIR", dir.c_str(), 1);
  }
  ~IdentityDir() {
    if (saved_) ::setenv("ORVO_USER_IDENTITY_DIR", saved_->c_str(), 1);
    else ::unsetenv("ORVO_USER_IDENTITY_DIR");
  }

 private:
  std::optional<std::string> saved_;
};

std::string identity_record(std::string_view id, std::string_view extra) {
  std::string key;
  for (int i = 0; i < 32; ++i) key += (i ? "," : "") + std::to_string(i + 0xa0);
  return "{\"id\":\"" + std::string(id) + "\",\"user_public_key\":[" + key + "],\"active\":true" + std::string(extra) +
         "}";
}

TEST(AboutFacts, TheActiveIdentityGivesThePersonAndTheId) {
  PaneHome home;
  IdentityDir dir(home.root() / "identities");
  SystemFacts facts;
  add_identity(facts);
  EXPECT_FALSE(facts.identity_name) << "no identity";

  const struct {
    const char* extra;
    const char* name;
  } cases[] = {{"", "alex"}, {",\"label\":\"  Alex Doe \"", "Alex Doe"}, {",\"label\":\"   \"", "alex"}};
  for (const auto& c : cases) {
    home.write("identities/alex/identity.json", identity_record("alex", c.extra));
    facts = {};
    add_identity(facts);
    ASSERT_TRUE(facts.identity_name) << c.extra;
    EXPECT_EQ(*facts.identity_name, c.name);
    EXPECT_EQ(short_device_id(facts), "a0a1\u00b7a2a3\u00b7a4a5\u00b7a6a7");
  }
  home.write("identities/alex/identity.json", "{ damaged");
  facts = {};
  add_identity(facts);
  EXPECT_FALSE(facts.identity_name);
  EXPECT_FALSE(facts.identity_key_prefix);
}

// This machine's own files, read without any override.
TEST(AboutFacts, KernelOfThisMachineIsUnameR) {
  const std::vector<std::string> arguments{"-r"};
  auto uname = bounded_command::run("uname", arguments, std::nullopt, 4096, std::chrono::seconds(5));
  ASSERT_TRUE(uname && uname->status.success());
  std::string expected = uname->standard_output;
  while (!expected.empty() && (expected.back() == '\n' || expected.back() == ' ')) expected.pop_back();
  EXPECT_EQ(gather_system_facts(FactSources::system()).kernel, expected);
}

// A worker starter that keeps the work for the test to run.
struct HeldWorker {
  std::function<void()> work;
  StartWorker starter() {
    return [this](std::string, std::function<void()> w) -> std::expected<void, std::string> {
      work = std::move(w);
      return {};
    };
  }
};

bool shows(orvo_ui::Widget& page, std::string_view text) {
  const auto texts = testing::texts_of(page);
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST(AboutPage, ShowsPlaceholdersUntilTheFactsArriveThenTheFacts) {
  PaneHarness harness;
  SystemFacts facts;
  facts.os_name = "Orvo OS 2";
  facts.kernel = "6.8.0";
  facts.uptime = "59m";
  facts.hostname = "orvo-laptop";
  facts.architecture = "x86_64";
  facts.processor = "Example CPU";
  facts.memory = "7.6 GiB";
  HeldWorker worker;
  auto page = make_about_page([facts] { return facts; }, worker.starter());
  testing::PaneInALoop ui(*page, 1280, 800);
  ASSERT_TRUE(worker.work) << "the first pass starts the worker";
  EXPECT_FALSE(shows(*page, "orvo-laptop"));
  EXPECT_TRUE(shows(*page, "\u2026"));
  // The identity backup button is there from the start.
  auto* button = dynamic_cast<orvo_ui::Button*>(testing::find_widget(*page, kIdentityBackupButton));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->label(), "Create encrypted backup\u2026");

  worker.work();
  ui.frame();
  ASSERT_NE(page->facts(), nullptr);
  for (const char* text : {"orvo-laptop", "Orvo OS 2", "Workspace identity", "Person", "Not connected", "Identity",
                           "53d7\u00b7f025\u00b72d6e\u00b76c68", "Identity backup",
                           "System", "OS", "Kernel", "6.8.0", "Architecture", "x86_64", "Uptime", "59m", "Hardware",
                           "Processor", "Example CPU", "Memory", "7.6 GiB"}) {
    EXPECT_TRUE(shows(*page, text)) << text;
  }
  EXPECT_FALSE(shows(*page, "\u2026"));
  EXPECT_EQ(page->pane_descriptor()->id, "about");
}

TEST(AboutPage, AWorkerThatCannotStartLeavesThePlaceholders) {
  PaneHarness harness;
  auto page = make_about_page([] { return SystemFacts{}; },
                              [](std::string, std::function<void()>) -> std::expected<void, std::string> {
                                return std::unexpected(std::string("no threads"));
                              });
  testing::PaneInALoop ui(*page, 1280, 800);
  ui.frame();
  EXPECT_TRUE(page->gathered());
  EXPECT_EQ(page->facts(), nullptr);
  EXPECT_TRUE(shows(*page, "\u2026"));
}

}  // namespace
}  // namespace settings::panes::about
