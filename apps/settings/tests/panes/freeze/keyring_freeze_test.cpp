// The accounts page while the desktop keyring holds its answer: the vault is read on a worker, the
// window keeps drawing and says that it is reading the saved passwords.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "harness/freeze_watch.h"
#include "harness/pane_harness.h"
#include "orvo_dbus_testing/stand_in_bus.h"
#include "panes/accounts/accounts_pane.h"

namespace settings::panes::testing {
namespace {

using accounts::AccountsPane;
using ::testing::Contains;
using ::testing::Not;

const std::string kSecretService =
    std::string(ORVO_SOURCE_DIR) + "/platform/accounts/tests/fixtures/secret_service.py";

TEST(KeyringFreeze, TheAccountsPageDrawsWhileTheKeyringHoldsItsAnswer) {
  ORVO_STAND_IN_BUS(bus);
  HeldCall held;
  ORVO_STAND_IN_MOCK(bus, "org.freedesktop.secrets", "--template", kSecretService, "--parameters", held.parameters());
  PaneHarness harness;
  AccountsPane pane = AccountsPane::load(*harness.app().accounts_root());
  // The loop's first frame, made with it, also loads the fonts: it is judged by what the page shows
  // while the call is held rather than by its time.
  PaneInALoop loop(pane);
  FrameWatch watch([&] { loop.frame(); });

  ASSERT_TRUE(watch.run_until([&] { return held.entered(); })) << "the vault was never read";
  watch.run(20);
  // Every one of those frames ran while the keyring held the call.
  EXPECT_FALSE(held.answered());
  EXPECT_TRUE(pane.reading_vault());
  EXPECT_THAT(texts_of(pane), Contains("Reading saved passwords…"));

  held.release();
  ASSERT_TRUE(watch.run_until([&] { return pane.store_idle(); }));
  watch.run(2);
  EXPECT_THAT(texts_of(pane), Not(Contains("Reading saved passwords…")));
  EXPECT_LT(watch.longest(), kFreezeBound) << watch.longest().count() << " ms";
}

}  // namespace
}  // namespace settings::panes::testing
