// The desktop portal calls against a dbusmock stand-in of the portal on a private session bus.
#include "orvo_portal/portal.h"

#include <gtest/gtest.h>

#include "orvo_dbus/connection.h"
#include "orvo_dbus_testing/stand_in_bus.h"

namespace {

using namespace std::chrono_literals;
using namespace runtime_portal_xdg;

constexpr const char* kPortal = "org.freedesktop.portal.Desktop";
constexpr const char* kPath = "/org/freedesktop/portal/desktop";

// Stand-in code for OpenFile: makes the request object where the caller expects it (from the
// caller's unique name and its token) and answers with `response` and `results` (Python literals).
std::string answer_with(const std::string& response, const std::string& results) {
  return "import inspect\n"
         "msg = next(f.frame.f_locals['message'] for f in inspect.stack() "
         "if isinstance(f.frame.f_locals.get('message'), dbus.lowlevel.MethodCallMessage))\n"
         "sender = msg.get_sender()[1:].replace('.', '_')\n"
         "path = '/org/freedesktop/portal/desktop/request/%s/%s' % (sender, args[2]['handle_token'])\n"
         "self.AddObject(path, 'org.freedesktop.portal.Request', {}, [])\n"
         "objects[path].EmitSignal('org.freedesktop.portal.Request', 'Response', 'ua{sv}', [" +
         response + ", " + results + "])\n"
         "ret = path\n";
}

class Portal : public ::testing::Test {
 protected:
  void add_method(const std::string& interface, const std::string& name, const std::string& code) {
    auto client = orvo_dbus::Connection::open(orvo_dbus::Bus::Session);
    ASSERT_TRUE(client.has_value());
    auto reply = client->call<>({kPortal, kPath}, "org.freedesktop.DBus.Mock", "AddMethod", 2s, interface, name,
                                std::string("ssa{sv}"), std::string("o"), code);
    ASSERT_TRUE(reply.has_value()) << reply.error().text();
  }
};

TEST_F(Portal, FileChooserAnswers) {
  ORVO_STAND_IN_BUS(bus);
  ORVO_STAND_IN_MOCK(bus, kPortal, "--session", kPortal, kPath, "org.freedesktop.portal.FileChooser");

  add_method("org.freedesktop.portal.FileChooser", "OpenFile",
             answer_with("0", "{'uris': dbus.Array(['file:///etc/ssl/Org%20CA%2B1.pem', 'https://example.org/x'], "
                              "signature='s')}"));
  auto chosen = FileChooser::open("Choose organization CA certificate", 5s);
  ASSERT_TRUE(chosen.has_value()) << chosen.error().text;
  ASSERT_EQ(chosen->size(), 2u);
  EXPECT_EQ(chosen->at(0).path, "/etc/ssl/Org CA+1.pem");
  EXPECT_EQ(chosen->at(1).path, std::nullopt);

  add_method("org.freedesktop.portal.FileChooser", "OpenFile", answer_with("1", "{}"));
  auto cancelled = FileChooser::open("Choose", 5s);
  ASSERT_TRUE(cancelled.has_value()) << cancelled.error().text;
  EXPECT_TRUE(cancelled->empty());

  add_method("org.freedesktop.portal.FileChooser", "OpenFile", answer_with("2", "{}"));
  EXPECT_EQ(FileChooser::open("Choose", 5s).error().text, "the desktop portal could not show the file chooser");

  add_method("org.freedesktop.portal.FileChooser", "OpenFile",
             "raise dbus.exceptions.DBusException('No file chooser here', name='org.freedesktop.portal.Error.Failed')");
  EXPECT_EQ(FileChooser::open("Choose", 5s).error().text, "No file chooser here");

  // Takes the request and never answers.
  add_method("org.freedesktop.portal.FileChooser", "OpenFile", "ret = '/org/freedesktop/portal/desktop/request/x/y'");
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(FileChooser::open("Choose", 300ms).error().text, "the desktop portal did not answer in time");
  EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
}

TEST_F(Portal, OpenUriSuccessAndFailure) {
  ORVO_STAND_IN_BUS(bus);
  EXPECT_EQ(OpenUri::open("http://check.example.org/").error().text, "the desktop portal is not running");
  ORVO_STAND_IN_MOCK(bus, kPortal, "--session", kPortal, kPath, "org.freedesktop.portal.OpenURI");
  add_method("org.freedesktop.portal.OpenURI", "OpenURI",
             "ret = '/org/freedesktop/portal/desktop/request/x/y' if args[1].startswith('http') else "
             "(_ for _ in ()).throw(dbus.exceptions.DBusException('Invalid URI', "
             "name='org.freedesktop.portal.Error.InvalidArgument'))");
  EXPECT_TRUE(OpenUri::open("http://check.example.org/").has_value());
  EXPECT_EQ(OpenUri::open("gopher://old").error().text, "Invalid URI");
}

TEST(PortalPaths, FileAddressesToLocalPaths) {
  EXPECT_EQ(local_path("file:///home/a%20b/ca.pem"), "/home/a b/ca.pem");
  EXPECT_EQ(local_path("file://localhost/ca.pem"), "/ca.pem");
  EXPECT_EQ(local_path("file://server/ca.pem"), std::nullopt);
  EXPECT_EQ(local_path("file:///bad%2"), std::nullopt);
  EXPECT_EQ(local_path("file:///nul%00"), std::nullopt);
  EXPECT_EQ(local_path("https://example.org/ca.pem"), std::nullopt);
}

}  // namespace
