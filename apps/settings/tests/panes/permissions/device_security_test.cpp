// The device security checks against stub programs on a temporary PATH and a temporary EFI
// variables directory.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness/pane_home.h"
#include "harness/stub_programs.h"
#include "panes/permissions/device_security.h"

namespace settings::panes::permissions {
namespace {

using testing::PaneHome;
using testing::StubPrograms;

const RunForOutput kRun = [](std::string_view program, std::span<const std::string> arguments) {
  return run_for_output(program, arguments);
};

TEST(DeviceSecurity, SecureBootFromTheEfiVariable) {
  const std::string guid = "SecureBoot-8be4df61-93ca-11d2-aa0d-00e098032b8c";
  const struct {
    const char* name;
    std::vector<std::pair<std::string, std::string>> files;  // none at all: no directory
    bool directory;
    const char* state;
  } cases[] = {
      {"4 bytes", {{guid, std::string("\x06\0\0\0", 4)}}, true, "Unavailable"},
      {"fifth byte 1", {{guid, std::string("\x06\0\0\0\x01", 5)}}, true, "Enabled"},
      {"fifth byte 0", {{guid, std::string("\x06\0\0\0\x00", 5)}}, true, "Disabled"},
      {"fifth byte 2", {{guid, std::string("\x06\0\0\0\x02", 5)}}, true, "Disabled"},
      {"no such entry", {{"SetupMode-8be4df61-93ca-11d2-aa0d-00e098032b8c", std::string("\x06\0\0\0\x01", 5)}}, true,
       "Disabled"},
      {"no directory", {}, false, "Unavailable"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PaneHome home;
    const auto efivars = home.root() / "sys/firmware/efi/efivars";
    if (c.directory) std::filesystem::create_directories(efivars);
    for (const auto& [name, bytes] : c.files) home.write("sys/firmware/efi/efivars/" + name, bytes);
    EXPECT_EQ(secure_boot(efivars), c.state);
    // The same directory as the running system names it (with no programs to run).
    StubPrograms no_programs(home.root() / "stubs");
    EXPECT_EQ(check_device_security().secure_boot, c.state);
  }
}

TEST(DeviceSecurity, SecureBootStateIsTheFirstSecureBootEntryByName) {
  EXPECT_EQ(secure_boot_state({"/v/SetupMode-1", "/v/SecureBoot-b", "/v/SecureBoot-a"}),
            std::filesystem::path("/v/SecureBoot-a"));
  EXPECT_EQ(secure_boot_state({"/v/SetupMode-1", "/v/PK-1"}), std::nullopt);
}

TEST(DeviceSecurity, DiskEncryptionFromTheRootFileSystemsLayers) {
  const struct {
    const char* name;
    int findmnt_status;
    const char* layers;
    int lsblk_status;
    const char* state;
  } cases[] = {
      {"a crypt layer", 0, "crypt\n  part\ndisk\n", 0, "Encrypted"},
      {"an indented crypt layer", 0, "lvm\n  crypt  \ndisk\n", 0, "Encrypted"},
      {"no crypt layer", 0, "part\ndisk\n", 0, "Not encrypted"},
      {"a type merely containing crypt", 0, "cryptic\ndisk\n", 0, "Not encrypted"},
      {"findmnt failing", 1, "crypt\n", 0, "Unavailable"},
      {"lsblk failing", 0, "crypt\n", 32, "Unavailable"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PaneHome home;
    StubPrograms stubs(home.root() / "stubs");
    stubs.answer("findmnt", "/dev/mapper/luks-root\n", c.findmnt_status);
    stubs.answer("lsblk", c.layers, c.lsblk_status);
    EXPECT_EQ(disk_encryption(kRun), c.state);
    std::vector<std::string> expected{"findmnt -no SOURCE /"};
    if (c.findmnt_status == 0) expected.push_back("lsblk -s -n -o TYPE /dev/mapper/luks-root");
    EXPECT_EQ(stubs.log(), expected);
  }
  PaneHome home;
  StubPrograms nothing(home.root() / "stubs");
  EXPECT_EQ(disk_encryption(kRun), "Unavailable") << "no findmnt";
}

TEST(DeviceSecurity, Firewall) {
  struct Stub {
    const char* output;
    int status;
  };
  const struct {
    const char* name;
    std::optional<Stub> firewall_cmd;
    std::optional<Stub> nft;
    const char* state;
  } cases[] = {
      {"firewalld running", Stub{"running\n", 0}, Stub{"", 1}, "Active \u00b7 firewalld"},
      {"a ruleset", Stub{"not running\n", 252}, Stub{"table inet filter {\n\tchain input {\n\t}\n}\n", 0},
       "Active \u00b7 nftables"},
      {"a ruleset without firewalld", std::nullopt, Stub{"table inet filter {\n}\n", 0}, "Active \u00b7 nftables"},
      {"an empty ruleset", Stub{"not running\n", 252}, Stub{"\n", 0}, "Not active"},
      // Listing the ruleset needs privileges: a refusal says nothing about the firewall.
      {"nft refusing", Stub{"not running\n", 252}, Stub{"", 1}, "Unavailable"},
      {"neither program", std::nullopt, std::nullopt, "Unavailable"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PaneHome home;
    StubPrograms stubs(home.root() / "stubs");
    if (c.firewall_cmd) stubs.answer("firewall-cmd", c.firewall_cmd->output, c.firewall_cmd->status);
    if (c.nft) stubs.answer("nft", c.nft->output, c.nft->status, c.nft->status ? "Operation not permitted\n" : "");
    EXPECT_EQ(firewall(kRun), c.state);
    for (const auto& line : stubs.log()) {
      EXPECT_TRUE(line == "firewall-cmd --state" || line == "nft list ruleset") << line;
    }
  }
}

TEST(DeviceSecurity, RunForOutputDecodesAndTrimsAndFailsOnAnError) {
  PaneHome home;
  StubPrograms stubs(home.root() / "stubs");
  stubs.answer("tool", "  caf\xc3\xa9 \xff\n\n");
  const std::vector<std::string> none;
  EXPECT_EQ(run_for_output("tool", none), "caf\u00e9 \ufffd");
  stubs.answer("tool", "output anyway", 3);
  EXPECT_EQ(run_for_output("tool", none), std::nullopt);
  EXPECT_EQ(run_for_output("missing", none), std::nullopt);
}

}  // namespace
}  // namespace settings::panes::permissions
