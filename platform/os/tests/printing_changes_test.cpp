#include <cups/cups.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "ipp_stand_in.h"
#include "os_actions/printing.h"
#include "temp_tree.h"

namespace {

namespace printing = os_actions::printing;
using os_actions_testing::FakePrinter;
using os_actions_testing::IppStandIn;
using os_actions_testing::RecordedRequest;
using os_actions_testing::TempTree;

#define ORVO_IPP_STAND_IN(var, ...)                                                          \
  auto var##_started = IppStandIn::start(__VA_ARGS__);                                       \
  if (!var##_started) GTEST_SKIP() << "IPP stand-in unavailable: " << var##_started.error(); \
  [[maybe_unused]] auto& var = *var##_started.value()

std::vector<FakePrinter> two_printers() {
  FakePrinter office;
  office.name = "Office";
  FakePrinter photo;
  photo.name = "Photo";
  photo.state = 5;
  return {office, photo};
}

// The printing library keeps its per-user settings (home, configuration root) per thread, read when
// the thread first uses it: each call that must see a fresh home runs on a new thread.
template <typename Call>
auto on_fresh_thread(Call call) {
  decltype(call()) result;
  std::thread([&] { result = call(); }).join();
  return result;
}

struct ChangeCase {
  const char* title;
  std::function<printing::Done()> call;
  int operation;
  std::map<std::string, std::string> attributes;  // a subset the request must carry
};

TEST(PrintingChanges, EachChangeSendsItsRequest) {
  ORVO_IPP_STAND_IN(server, two_printers(), std::string("Office"), {});
  const std::vector<ChangeCase> cases{
      {"pause", [] { return printing::set_enabled("Office", false); }, IPP_OP_PAUSE_PRINTER,
       {{"printer-uri", "ipp://localhost/printers/Office"}}},
      {"resume", [] { return printing::set_enabled("Photo", true); }, IPP_OP_RESUME_PRINTER,
       {{"printer-uri", "ipp://localhost/printers/Photo"}}},
      {"remove", [] { return printing::remove_queue("Office"); }, IPP_OP_CUPS_DELETE_PRINTER,
       {{"printer-uri", "ipp://localhost/printers/Office"}}},
      {"cancel", [] { return printing::cancel_job("12"); }, IPP_OP_CANCEL_JOB,
       {{"job-uri", "ipp://localhost/jobs/12"}}},
      {"restart", [] { return printing::retry_job("13"); }, IPP_OP_RESTART_JOB, {{"job-uri", "ipp://localhost/jobs/13"}}},
      {"add",
       [] {
         return printing::add_driverless({"ipps://hall.local:631/ipp/print", "Hall Printer #2", "Brand X 200"});
       },
       IPP_OP_CUPS_ADD_MODIFY_PRINTER,
       {{"printer-uri", "ipp://localhost/printers/Hall_Printer_2"},
        {"device-uri", "ipps://hall.local:631/ipp/print"},
        {"ppd-name", "everywhere"},
        {"printer-info", "Hall Printer #2"},
        {"printer-is-accepting-jobs", "true"},
        {"printer-state", "3"}}},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const auto& c = cases[i];
    SCOPED_TRACE(c.title);
    auto done = c.call();
    ASSERT_TRUE(done.has_value()) << done.error();
    const auto changes = server.changes();
    ASSERT_EQ(changes.size(), i + 1);
    EXPECT_EQ(changes.back().operation, c.operation);
    for (const auto& [name, value] : c.attributes) {
      ASSERT_TRUE(changes.back().attributes.contains(name)) << name << " in " << [&] { std::string all; for (const auto& [k, v] : changes.back().attributes) all += k + "=" + v + " "; return all; }();
      EXPECT_EQ(changes.back().attributes.at(name), value) << name;
    }
    EXPECT_TRUE(changes.back().attributes.contains("requesting-user-name"));
  }
}

TEST(PrintingChanges, ARefusedRequestGivesTheServiceMessage) {
  ORVO_IPP_STAND_IN(server, two_printers(), std::string("Office"), {});
  server.refuse(IPP_OP_PAUSE_PRINTER, IPP_STATUS_ERROR_NOT_POSSIBLE, "The printer is busy being serviced");
  auto paused = printing::set_enabled("Office", false);
  ASSERT_FALSE(paused.has_value());
  EXPECT_EQ(paused.error(), "Could not pause the printer: The printer is busy being serviced");
}

TEST(PrintingChanges, AJobIdThatIsNoNumberSendsNothing) {
  ORVO_IPP_STAND_IN(server, two_printers(), std::nullopt, {});
  for (const char* id : {"", "12a", "-3", "0", "9999999999"}) {
    auto cancelled = printing::cancel_job(id);
    ASSERT_FALSE(cancelled.has_value()) << id;
    EXPECT_NE(cancelled.error().find("is not a print job id"), std::string::npos) << cancelled.error();
  }
  EXPECT_TRUE(server.changes().empty());
}

TEST(PrintingChanges, WithoutTheServiceAChangeFailsWithASentence) {
  os_actions_testing::use_print_server("127.0.0.1:9");  // nothing listens on the discard port
  auto removed = printing::remove_queue("Office");
  ASSERT_FALSE(removed.has_value());
  EXPECT_TRUE(removed.error().starts_with("Could not remove the printer: ")) << removed.error();
}

// The user's default is written into a home of its own (as root, the library writes its system
// option file under CUPS_SERVERROOT instead: both point into the temporary tree).
TEST(PrintingDefault, TheUserDefaultChangesTheReportedDefault) {
  TempTree tree;
  std::filesystem::create_directories(tree.root() / "home/.cups");
  std::filesystem::create_directories(tree.root() / "etc");
  const std::string saved_home = ::getenv("HOME") ? ::getenv("HOME") : "";
  ::setenv("HOME", (tree.root() / "home").c_str(), 1);
  ::setenv("CUPS_SERVERROOT", (tree.root() / "etc").c_str(), 1);
  ::unsetenv("LPDEST");
  ::unsetenv("PRINTER");
  ORVO_IPP_STAND_IN(server, two_printers(), std::string("Photo"), {});
  const std::string address = "127.0.0.1:" + std::to_string(server.port());

  auto default_of = [&] {
    return on_fresh_thread([&]() -> std::optional<std::string> {
      os_actions_testing::use_print_server(address);
      auto listed = printing::queues();
      if (!listed) return "error: " + listed.error();
      for (const auto& queue : *listed) {
        if (queue.is_default) return queue.name;
      }
      return std::nullopt;
    });
  };
  EXPECT_EQ(default_of(), "Photo");  // the service's default while the user has none

  auto made = on_fresh_thread([&] {
    os_actions_testing::use_print_server(address);
    return printing::set_default("Office");
  });
  ASSERT_TRUE(made.has_value()) << made.error();
  EXPECT_EQ(default_of(), "Office");
  EXPECT_TRUE(server.changes().empty());  // no request to the service: the default is the user's

  auto unknown = on_fresh_thread([&] {
    os_actions_testing::use_print_server(address);
    return printing::set_default("Basement");
  });
  EXPECT_FALSE(unknown.has_value());
  EXPECT_EQ(default_of(), "Office");
  ::setenv("HOME", saved_home.c_str(), 1);
  ::unsetenv("CUPS_SERVERROOT");
}

TEST(PrintingDiscovery, WithoutANetworkDiscoveryServiceFindsNothingWithinItsBound) {
  ORVO_IPP_STAND_IN(server, two_printers(), std::nullopt, {});
  const auto started = std::chrono::steady_clock::now();
  auto found = printing::discover_driverless();
  const auto took = std::chrono::steady_clock::now() - started;
  ASSERT_TRUE(found.has_value()) << found.error();
  EXPECT_TRUE(found->empty());  // the configured queues are not offered again
  EXPECT_LT(took, std::chrono::seconds(10));
}

class ScannerList : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_path_ = ::getenv("PATH") ? ::getenv("PATH") : "";
    ::setenv("PATH", (tree_.root() / "bin").c_str(), 1);
    std::filesystem::create_directories(tree_.root() / "bin");
    printing::forget_scanners();
  }
  void TearDown() override {
    ::setenv("PATH", saved_path_.c_str(), 1);
    printing::forget_scanners();
  }
  TempTree tree_;
  std::string saved_path_;
};

TEST_F(ScannerList, ListsTheDevicesScanimageNamesAndReusesTheListing) {
  tree_.script("bin/scanimage",
               "echo \"$@\" >> '" + (tree_.root() / "calls").string() + "'\n"
               "echo \"device \\`airscan:e0:Hall MFP' is a eSCL Brand X MFP ip=10.0.0.7\"\n"
               "echo \"device \\`pixma:04A91234_0012' is a CANON Canoscan flatbed scanner\"\n");
  auto found = printing::scanners();
  ASSERT_TRUE(found.has_value()) << found.error();
  ASSERT_EQ(found->size(), 2u);
  EXPECT_EQ((*found)[0].device, "airscan:e0:Hall MFP");
  EXPECT_EQ((*found)[0].description, "eSCL Brand X MFP ip=10.0.0.7");
  EXPECT_EQ((*found)[1].device, "pixma:04A91234_0012");

  ASSERT_TRUE(printing::scanners().has_value());
  std::ifstream calls(tree_.root() / "calls");
  std::string line;
  int count = 0;
  while (std::getline(calls, line)) {
    EXPECT_EQ(line, "-L");
    ++count;
  }
  EXPECT_EQ(count, 1);  // the second call reused the listing
}

TEST_F(ScannerList, AListingThatHangsIsStoppedAndMissingScanimageMeansNoScanners) {
  tree_.script("bin/scanimage", "exec /bin/sleep 30");
  const auto started = std::chrono::steady_clock::now();
  auto hung = printing::scanners(std::chrono::milliseconds(300));
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
  ASSERT_FALSE(hung.has_value());
  EXPECT_TRUE(hung.error().starts_with("Could not list scanners: ")) << hung.error();

  printing::forget_scanners();
  std::filesystem::remove(tree_.root() / "bin/scanimage");
  auto missing = printing::scanners();
  ASSERT_TRUE(missing.has_value()) << missing.error();
  EXPECT_TRUE(missing->empty());
}

TEST(ScannerListText, ReadsOnlyDeviceLines) {
  const struct {
    const char* text;
    std::vector<std::pair<std::string, std::string>> expected;
  } cases[] = {
      {"", {}},
      {"\nNo scanners were identified. If you were expecting something different,\n", {}},
      {"device `net:host:it's' is a Brand flatbed\r\n", {{"net:host:it's", "Brand flatbed"}}},
      {"device `a' is a \ndevice `' is a x\ndevice `b' is x\n", {}},
      {"  device `v4l:/dev/video0' is a Noname Camera virtual device", {{"v4l:/dev/video0", "Noname Camera virtual device"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const auto found = printing::parse_scanner_list(c.text);
    ASSERT_EQ(found.size(), c.expected.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
      EXPECT_EQ(found[i].device, c.expected[i].first);
      EXPECT_EQ(found[i].description, c.expected[i].second);
    }
  }
}

}  // namespace
