// The pane's readings and account changes through the system's account service, against its
// stand-in on a private bus.
#include <gtest/gtest.h>

#include <stdlib.h>

#include "account_service_stand_in.h"
#include "harness/pane_home.h"
#include "panes/users/users_pane.h"

namespace settings::panes::users {
namespace {

class SignedInAs {
 public:
  explicit SignedInAs(const char* user) {
    if (const char* old = ::getenv("USER")) saved_ = old;
    ::setenv("USER", user, 1);
  }
  ~SignedInAs() {
    if (saved_) ::setenv("USER", saved_->c_str(), 1);
    else ::unsetenv("USER");
  }

 private:
  std::optional<std::string> saved_;
};

TEST(UsersService, AutomaticLoginComesFromTheServiceAndIsOffWhenItFails) {
  panes::testing::PaneHome home;
  home.write("etc/passwd",
             "root:x:0:0:root:/root:/bin/bash\n"
             "alice:x:1001:1001:Alice Liddell,,,:/home/alice:/bin/bash\n"
             "bob:x:1002:1002::/home/bob:/bin/bash\n");
  home.write("etc/group", "sudo:x:27:alice\n");
  ASSERT_EQ(home.system("/etc/passwd"), home.root() / "etc/passwd");
  SignedInAs signed_in("bob");
  {
    ORVO_ACCOUNT_SERVICE(service);
    const auto users = local_users();
    ASSERT_EQ(users.size(), 2u);
    EXPECT_EQ(users[0].username, "alice");
    EXPECT_TRUE(users[0].administrator);
    EXPECT_TRUE(users[0].automatic_login) << "from the service";
    EXPECT_TRUE(users[1].signed_in);
    EXPECT_FALSE(users[1].automatic_login) << "the service knows no bob: off";
  }
  // No service at all: every account reads as off.
  ORVO_STAND_IN_BUS(bus);
  for (const LocalUser& user : local_users()) EXPECT_FALSE(user.automatic_login) << user.username;
}

TEST(UsersService, APasswordRefusedAfterCreationLeavesTheAccount) {
  ORVO_ACCOUNT_SERVICE(service);
  service.refuse_passwords("password is too simple");
  const auto backend = system_user_backend();
  const auto created = backend->create_user("alice", "Alice", orvo_secret::SecretString("1234"));
  EXPECT_EQ(created.error(), "password is too simple");
  EXPECT_EQ(service.calls(os_actions_testing::kRoot, "CreateUser").size(), 1u) << "the account stays";
  EXPECT_EQ(service.calls(os_actions_testing::kRoot, "DeleteUser").size(), 0u);

  // What the users layer refuses never reaches the service.
  EXPECT_EQ(backend->create_user("eve", "Eve", orvo_secret::SecretString()).error(), "password must not be empty");
  EXPECT_EQ(backend->create_user("-rf", "Eve", orvo_secret::SecretString("x")).error(), "invalid user name");
  EXPECT_EQ(service.calls(os_actions_testing::kRoot, "CreateUser").size(), 1u);
}

}  // namespace
}  // namespace settings::panes::users
