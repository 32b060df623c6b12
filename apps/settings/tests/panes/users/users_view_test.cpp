// The Users page as the widget tree shows it, built by the offscreen frame loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <regex>

#include "orvo_ui/widgets/badge.h"
#include "orvo_ui/widgets/button.h"
#include "users_fixture.h"

namespace settings::panes::users {
namespace {

using panes::testing::find_widget;
using panes::testing::PaneInALoop;
using panes::testing::texts_of;
using testing::UsersPaneTest;

bool shows(const std::vector<std::string>& texts, std::string_view text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

class UsersView : public UsersPaneTest {
 protected:
  void build() {
    make_pane();
    loop_ = std::make_unique<PaneInALoop>(*pane_, 1280, 800);
    frame();
  }
  void frame() {
    settle();
    loop_->frame();
  }
  void press_and_show(const std::string& press_key) {
    press(press_key);
    loop_->frame();
  }
  bool has(const std::string& id) { return find_widget(*pane_, id) != nullptr; }
  std::string label(const std::string& id) {
    auto* button = dynamic_cast<orvo_ui::Button*>(find_widget(*pane_, id));
    return button ? button->label() : "(no button " + id + ")";
  }
  std::vector<std::string> texts() { return texts_of(*pane_); }
  // The badges' texts, in tree order.
  std::vector<std::string> badges() {
    std::vector<std::string> found;
    std::function<void(orvo_ui::Widget&)> walk = [&](orvo_ui::Widget& widget) {
      if (auto* badge = dynamic_cast<orvo_ui::Badge*>(&widget)) found.push_back(badge->text());
      for (orvo_ui::Widget* child : widget.children_mut()) walk(*child);
    };
    walk(*pane_);
    return found;
  }

  std::unique_ptr<PaneInALoop> loop_;
};

TEST_F(UsersView, TheSignedInAccountHasNoButtons) {
  build();
  const auto shown = texts();
  EXPECT_TRUE(shows(shown, "me · UID 1000 · signed in"));
  EXPECT_TRUE(shows(shown, "bob · UID 1002"));
  EXPECT_EQ(badges(), (std::vector<std::string>{"Administrator", "Administrator", "Standard", "Standard"}));
  for (const std::string& id : {key::role("me"), key::autologin("me"), key::remove("me")}) EXPECT_FALSE(has(id)) << id;
  EXPECT_EQ(label(key::role("ada")), "Make standard");
  EXPECT_EQ(label(key::role("bob")), "Make administrator");
  EXPECT_EQ(label(key::autologin("bob")), "Enable automatic login");
  EXPECT_EQ(label(key::autologin("carol")), "Disable automatic login");
  EXPECT_EQ(label(key::remove("bob")), "Remove…");
  EXPECT_EQ(label(std::string(key::kAdd)), "Add user");
}

TEST_F(UsersView, OnlyTheLatestRemovalAsksForConfirmation) {
  build();
  press_and_show(key::remove("bob"));
  EXPECT_TRUE(has(key::confirm_remove("bob")));
  press_and_show(key::remove("carol"));
  EXPECT_FALSE(has(key::confirm_remove("bob")));
  EXPECT_FALSE(has(key::confirm_remove_keep("bob")));
  EXPECT_EQ(label(key::remove("bob")), "Remove…");
  EXPECT_EQ(label(key::confirm_remove_keep("carol")), "Remove, keep files");
  EXPECT_EQ(label(key::confirm_remove("carol")), "Remove account and files");
  EXPECT_FALSE(has(key::remove("carol")));
}

TEST_F(UsersView, IdentityRowsAndProtectionCaptions) {
  store_identity("home", 0xab, true, 3, "Home");
  store_identity("work", 0x1f, false, 2);
  store_identity("spare", 0x07, false);
  build();
  const auto shown = texts();
  const auto row_of = [&](std::string_view id) {
    const auto it = std::find_if(shown.begin(), shown.end(), [&](const std::string& t) { return t.starts_with(std::string(id) + " · key "); });
    return it == shown.end() ? std::string() : *it;
  };
  const std::regex subtitle(R"((\w+) · key ([0-9A-F]{8})… · 1-of-1 · (.+))");
  for (std::string_view id : {"home", "work", "spare"}) {
    EXPECT_TRUE(std::regex_match(row_of(id), subtitle)) << row_of(id);
  }
  EXPECT_EQ(row_of("home"), "home · key " + key_fingerprint(pane_->identities()[0]) + "… · 1-of-1 · Migration required");
  EXPECT_TRUE(shows(shown, "Home"));
  const auto shown_badges = badges();
  EXPECT_EQ(std::vector<std::string>(shown_badges.end() - 3, shown_badges.end()),
            (std::vector<std::string>{"Active", "Available", "Available"}));
  // The active identity that needs migration: protection only.
  EXPECT_EQ(label(key::identity_protect("home")), "Protect now");
  EXPECT_FALSE(has(key::identity_activate("home")));
  EXPECT_FALSE(has(key::identity_remove("home")));
  EXPECT_EQ(label(key::identity_activate("work")), "Use");
  EXPECT_FALSE(has(key::identity_protect("work")));

  const auto caption = [&](std::string_view start) {
    return std::any_of(shown.begin(), shown.end(), [&](const std::string& t) { return t.starts_with(start); });
  };
  EXPECT_TRUE(caption("Secret Service is preferred."));
  EXPECT_TRUE(caption("This session is using the compatible private-file fallback"));
  EXPECT_TRUE(caption("Hardware-backed means the installed provider"));
  EXPECT_TRUE(row_of("spare").ends_with("Private session file + app-scoped signing broker"));
  EXPECT_TRUE(row_of("work").ends_with("Hardware-backed + app-scoped signing broker"));

  press_and_show(key::identity_remove("spare"));
  EXPECT_EQ(label(key::identity_confirm_remove("spare")), "Remove identity");
}

TEST_F(UsersView, WithOnlyKeyringIdentitiesTheProtectionCardHasOneCaption) {
  store_identity("home", 1, true, 0);
  build();
  const auto shown = texts();
  EXPECT_TRUE(shows(shown, "home · key 8A88E3DD… · 1-of-1 · Secret Service + app-scoped signing broker"));
  for (std::string_view start : {"This session is using", "Hardware-backed means"}) {
    EXPECT_FALSE(std::any_of(shown.begin(), shown.end(), [&](const std::string& t) { return t.starts_with(start); }));
  }
}

TEST_F(UsersView, EmptyListsSaySo) {
  accounts_.clear();
  build();
  const auto shown = texts();
  EXPECT_TRUE(shows(shown, "No regular login accounts found on this device."));
  EXPECT_TRUE(shows(shown,
                    "No signing identity is available. Identity setup runs in your personal session; it never runs as "
                    "root."));
}

TEST_F(UsersView, TheAddFormIsTypedIntoWithTheMouseAndKeyboard) {
  backend_->expected_password = "correct horse";
  build();
  loop_->click(*find_widget(*pane_, std::string(key::kAdd)));
  frame();
  ASSERT_TRUE(has("users.form.password"));
  EXPECT_TRUE(shows(texts(), "Add login account"));
  loop_->click(*find_widget(*pane_, std::string(key::kFullName)));
  loop_->type("Eve Example");
  loop_->click(*find_widget(*pane_, std::string(key::kUsername)));
  loop_->type("eve");
  loop_->click(*find_widget(*pane_, "users.form.password"));
  loop_->type("correct horse");
  EXPECT_EQ(pane_->password()->copy().view(), "correct horse");
  loop_->click(*find_widget(*pane_, "settings.users.save"));
  frame();
  EXPECT_EQ(backend_->calls(), std::vector<std::string>{"create_user eve [Eve Example] password-ok"});
  EXPECT_FALSE(has("users.form.password"));
  EXPECT_FALSE(shows(texts(), "correct horse"));
}

TEST_F(UsersView, AnErrorIsShownOnTop) {
  backend_->answer("set_role", std::unexpected(std::string("Could not reach the account service: no bus")));
  build();
  press_and_show(key::role("bob"));
  const auto shown = texts();
  EXPECT_TRUE(shows(shown, "Could not apply that change"));
  EXPECT_TRUE(shows(shown, "Could not reach the account service: no bus"));
}

}  // namespace
}  // namespace settings::panes::users
