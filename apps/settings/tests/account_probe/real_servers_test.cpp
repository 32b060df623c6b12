// The account server check against a real Dovecot IMAP server and a real lighttpd WebDAV server,
// each started by the test on 127.0.0.1 with a certificate of a throw-away CA. Skipped with a
// message when the server is not installed or does not start.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "account_probe/account_check.h"
#include "orvo_net_test/test_server.h"
#include "probe_test_support.h"

extern char** environ;

namespace {

using namespace account_probe_test;
using namespace std::chrono_literals;
using settings::account_probe::AccountCheckOutcome;
using settings::account_probe::check_account_servers;
using Secret = orvo_secret::SecretString;
namespace fs = std::filesystem;

const char kDovecot[] = "/usr/sbin/dovecot";
const char kLighttpd[] = "/usr/sbin/lighttpd";
// A password that only a correctly quoted LOGIN gets across.
const char kImapPassword[] = R"(se"cr\et p)";

void write_file(const fs::path& path, const std::string& text, fs::perms perms = fs::perms(0644)) {
  std::ofstream(path, std::ios::binary) << text;
  fs::permissions(path, perms);
}

// A scratch directory others may read (the servers drop privileges when started as root).
struct ScratchDir {
  ScratchDir() {
    std::string pattern = "/tmp/orvo-server-XXXXXX";
    path = ::mkdtemp(pattern.data());
    fs::permissions(path, fs::perms(0755));
  }
  ~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
  fs::path path;
};

// A server process of the test's own; stopped with SIGTERM and reaped when the test ends.
class ServerProcess {
 public:
  ServerProcess(std::vector<std::string> argv, const fs::path& output) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<char*> args;
    for (auto& arg : argv) args.push_back(arg.data());
    args.push_back(nullptr);
    if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~ServerProcess() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  bool running() const { return pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0; }

 private:
  pid_t pid_ = -1;
};

bool accepts_connections(std::uint16_t port, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    if (connected) return true;
    std::this_thread::sleep_for(50ms);
  }
  return false;
}

std::string read_text(const fs::path& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class RealServers : public ::testing::Test {
 protected:
  RealServers() : environment_(environment_trusting(ca_)) {
    // Real servers get the real limits: Dovecot answers a failed sign-in only after a delay.
    environment_.limits = settings::account_probe::CheckLimits{};
    write_file(dir_.path / "cert.pem", certificate_.certificate_pem);
    write_file(dir_.path / "key.pem", certificate_.private_key_pem, fs::perms(0644));
  }

  orvo_net_test::TestCa ca_;
  orvo_net_test::TestCertificate certificate_ = ca_.issue({"localhost"}, {"127.0.0.1"});
  CheckEnvironment environment_;
  ScratchDir dir_;
};

TEST_F(RealServers, DovecotSignIn) {
  if (!fs::exists(kDovecot)) GTEST_SKIP() << "Dovecot is not installed (Debian package dovecot-imapd)";
  const fs::path& dir = dir_.path;
  // As root the server runs its parts as its own users; otherwise everything runs as us.
  const bool root = ::getuid() == 0;
  const std::string own_user = ::getpwuid(::getuid())->pw_name;
  const std::string internal_user = root ? "dovecot" : own_user;
  const std::string login_user = root ? "dovenull" : own_user;
  const passwd* mail_user = ::getpwnam(internal_user.c_str());
  if (mail_user == nullptr) GTEST_SKIP() << "user " << internal_user << " is missing";

  fs::create_directories(dir / "run");
  fs::create_directories(dir / "state");
  fs::create_directories(dir / "home");
  fs::permissions(dir / "home", fs::perms::all);
  write_file(dir / "passwd", std::string("ada:{PLAIN}") + kImapPassword + "\n");
  const std::uint16_t port = orvo_net_test::closed_port();
  const std::string config = "base_dir = " + (dir / "run").string() + "\n" +
                             "state_dir = " + (dir / "state").string() + "\n" +
                             "log_path = " + (dir / "dovecot.log").string() + "\n" +
                             "listen = 127.0.0.1\nprotocols = imap\nssl = required\n" +
                             "ssl_cert = <" + (dir / "cert.pem").string() + "\n" +
                             "ssl_key = <" + (dir / "key.pem").string() + "\n" +
                             "ssl_min_protocol = TLSv1.2\nauth_failure_delay = 0\nfirst_valid_uid = 1\n" +
                             "default_internal_user = " + internal_user + "\n" +
                             "default_internal_group = " + ::getgrgid(mail_user->pw_gid)->gr_name + "\n" +
                             "default_login_user = " + login_user + "\n" +
                             "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN " + (dir / "passwd").string() +
                             "\n}\n" +
                             "userdb {\n  driver = static\n  args = uid=" + std::to_string(mail_user->pw_uid) +
                             " gid=" + std::to_string(mail_user->pw_gid) + " home=" + (dir / "home").string() +
                             "/%u\n}\n" +
                             "mail_location = maildir:~/Maildir\n" +
                             "service anvil {\n  chroot =\n}\n" +
                             "service imap-login {\n  chroot =\n  inet_listener imap {\n    port = 0\n  }\n" +
                             "  inet_listener imaps {\n    port = " + std::to_string(port) + "\n    ssl = yes\n  }\n}\n";
  write_file(dir / "dovecot.conf", config);
  ServerProcess dovecot({kDovecot, "-F", "-c", (dir / "dovecot.conf").string()}, dir / "dovecot.out");
  if (!dovecot.running() || !accepts_connections(port, 5s)) {
    GTEST_SKIP() << "Dovecot did not start: " << read_text(dir / "dovecot.out") << read_text(dir / "dovecot.log");
  }

  const auto account_with_login = [&](const char* login) {
    return account("email", {{"imap_host", "localhost"}, {"imap_port", port}, {"username", login}});
  };
  EXPECT_EQ(check_account_servers(account_with_login("ada"), Secret(kImapPassword), environment_),
            AccountCheckOutcome::success("IMAP sign-in succeeded"))
      << read_text(dir / "dovecot.log");
  EXPECT_EQ(check_account_servers(account_with_login("ada"), Secret("wrong"), environment_),
            AccountCheckOutcome::failure("IMAP server rejected the saved credential"));
}

TEST_F(RealServers, LighttpdWebDav) {
  if (!fs::exists(kLighttpd) || !fs::exists("/usr/lib/lighttpd/mod_webdav.so") ||
      !fs::exists("/usr/lib/lighttpd/mod_openssl.so")) {
    GTEST_SKIP() << "lighttpd with WebDAV and TLS is not installed "
                    "(Debian packages lighttpd, lighttpd-mod-webdav, lighttpd-mod-openssl)";
  }
  const fs::path& dir = dir_.path;
  fs::create_directories(dir / "dav" / "files");
  write_file(dir / "users", "ada:s3cret\n");
  const std::uint16_t port = orvo_net_test::closed_port();
  const std::string config = "server.document-root = \"" + (dir / "dav").string() + "\"\n" +
                             "server.bind = \"127.0.0.1\"\nserver.port = " + std::to_string(port) + "\n" +
                             "server.errorlog = \"" + (dir / "lighttpd.log").string() + "\"\n" +
                             "server.modules = (\"mod_openssl\", \"mod_auth\", \"mod_authn_file\", \"mod_webdav\")\n" +
                             "ssl.engine = \"enable\"\n" +
                             "ssl.pemfile = \"" + (dir / "cert.pem").string() + "\"\n" +
                             "ssl.privkey = \"" + (dir / "key.pem").string() + "\"\n" +
                             "webdav.activate = \"enable\"\nauth.backend = \"plain\"\n" +
                             "auth.backend.plain.userfile = \"" + (dir / "users").string() + "\"\n" +
                             "auth.require = (\"\" => (\"method\" => \"basic\", \"realm\" => \"dav\", "
                             "\"require\" => \"valid-user\"))\n";
  write_file(dir / "lighttpd.conf", config);
  ServerProcess lighttpd({kLighttpd, "-D", "-f", (dir / "lighttpd.conf").string()}, dir / "lighttpd.out");
  if (!lighttpd.running() || !accepts_connections(port, 5s)) {
    GTEST_SKIP() << "lighttpd did not start: " << read_text(dir / "lighttpd.out") << read_text(dir / "lighttpd.log");
  }

  const std::string base = "https://localhost:" + std::to_string(port);
  const auto check = [&](const std::string& url, const char* password) {
    return check_account_servers(account("webdav", {{"base_url", url}, {"username", "ada"}}), Secret(password),
                                 environment_);
  };
  EXPECT_EQ(check(base + "/files/", "s3cret"), AccountCheckOutcome::success("Server accepted the signed-in DAV request"));
  EXPECT_EQ(check(base + "/files/", "wrong"), AccountCheckOutcome::failure("server rejected the saved credential"));
  EXPECT_EQ(check(base + "/missing/", "s3cret"), AccountCheckOutcome::failure("server returned HTTP 404"));
}

}  // namespace
