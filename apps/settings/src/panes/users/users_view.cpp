// The Users page, built afresh from the pane's state whenever its structure is dirty. Every control
// writes a flag or a text into the pane's document; the next pass acts on it.
#include <fmt/format.h>

#include "orvo_ui/widgets/button.h"
#include "orvo_ui/widgets/column.h"
#include "orvo_ui/widgets/row.h"
#include "orvo_ui/widgets/spacer.h"
#include "orvo_ui/widgets/text.h"
#include "orvo_ui/widgets/text_input.h"
#include "panes/users/users_pane.h"
#include "widget_support/layout_helpers.h"

namespace settings::panes::users {
namespace {

namespace ws = settings::widget_support;
using orvo_ui::Button;
using orvo_ui::Column;
using orvo_ui::Row;
using orvo_ui::Spacer;
using orvo_ui::Text;
using orvo_ui::TextInput;
using ws::WidgetBox;
namespace input_kind = orvo_ui::text_input_kind;

constexpr std::uint8_t kGoodTone = 0;
constexpr std::uint8_t kQuietTone = 2;

constexpr std::string_view kPasswordCaption =
    "The password is scrubbed from Settings state before it crosses the authenticated system boundary. New accounts "
    "start as Standard.";
constexpr std::string_view kNoAccounts = "No regular login accounts found on this device.";
constexpr std::string_view kReading = "Reading the login accounts…";
constexpr std::string_view kNoIdentities =
    "No signing identity is available. Identity setup runs in your personal session; it never runs as root.";
constexpr std::string_view kKeyringCaption =
    "Secret Service is preferred. If the desktop keyring is locked, signing pauses and asks the session to unlock it; "
    "Orvo never silently copies that key into an app.";
constexpr std::string_view kFileFallbackCaption =
    "This session is using the compatible private-file fallback for at least one identity. It is isolated from apps "
    "by the signing broker, but is not encrypted at rest. Install and unlock a freedesktop Secret Service to protect "
    "future identities in the desktop keyring.";
constexpr std::string_view kHardwareCaption =
    "Hardware-backed means the installed provider actually sealed this identity. The presence of a TPM alone is "
    "never treated as proof.";
constexpr std::string_view kBoundaryCaption =
    "A login account may have several identities. The active identity is used only by newly launched apps; running "
    "apps keep their existing author. Workspaces may restrict which identity can enter, but cannot read another "
    "identity's key. Apps receive a short-lived signing connection for the selected identity—never the private key "
    "or identity directory.";

class UsersPageBuilder {
 public:
  UsersPageBuilder(const UsersPane& pane, DocumentControls& controls) : pane_(pane), controls_(controls) {}

  WidgetBox page() {
    std::vector<WidgetBox> cards;
    if (pane_.error()) {
      cards.push_back(ws::titled_card("Could not apply that change", ws::caption_text(*pane_.error())));
    }
    if (pane_.add_form_visible()) cards.push_back(add_form());
    cards.push_back(accounts_card());
    cards.push_back(identities_card());
    cards.push_back(protection_card());
    cards.push_back(ws::titled_card("Identity boundary", ws::caption_text(kBoundaryCaption)));
    return ws::page_stack(std::move(cards));
  }

 private:
  WidgetBox button(std::string_view label, std::string_view press_key) {
    return std::make_unique<Button>(controls_.press_button(std::string(press_key), std::string(label), press_key));
  }

  WidgetBox text_field(std::string_view field_key, std::string_view placeholder, std::uint8_t kind) {
    return std::make_unique<TextInput>(
        controls_.text_input(field_key).with_id(field_key).with_placeholder(placeholder).with_kind(kind));
  }

  WidgetBox add_form() {
    std::vector<WidgetBox> rows;
    rows.push_back(ws::setting_row("Full name", text_field(key::kFullName, "Full name", input_kind::kName)));
    rows.push_back(ws::setting_row("User name", text_field(key::kUsername, "login-name", input_kind::kUsername)));
    rows.push_back(ws::setting_row(
        "Password", std::make_unique<TextInput>(TextInput::from_secret(pane_.password())
                                                    .with_id("users.form.password")
                                                    .with_placeholder("At least 10 characters")
                                                    .with_kind(input_kind::kPassword))));
    rows.push_back(ws::caption_text(kPasswordCaption));
    Row buttons = Row().with_gap(8);
    buttons.push(std::make_unique<Button>(
        controls_.press_button("settings.users.save", "Create", key::kFormSave)));
    buttons.push(std::make_unique<Button>(
        controls_.press_button("settings.users.cancel", "Cancel", key::kFormCancel)));
    buttons.push(Spacer::flexible());
    rows.push_back(std::make_unique<Row>(std::move(buttons)));
    return ws::titled_card("Add login account", ws::section_stack(std::move(rows)));
  }

  WidgetBox accounts_card() {
    WidgetBox body;
    if (!pane_.loaded()) {
      body = ws::caption_text(kReading);
    } else if (pane_.users().empty()) {
      body = ws::caption_text(kNoAccounts);
    } else {
      std::vector<WidgetBox> rows;
      for (const LocalUser& user : pane_.users()) rows.push_back(account_row(user));
      body = ws::section_stack(std::move(rows));
    }
    return ws::titled_card_with_accessory("Login accounts", button("Add user", key::kAdd), std::move(body));
  }

  // A row's buttons, in lines: an account's four would not fit beside each other in a narrow window.
  using ButtonLines = std::vector<std::vector<WidgetBox>>;

  WidgetBox row_with(std::string title, std::string subtitle, std::string_view badge, std::uint8_t tone,
                     ButtonLines lines) {
    Row top;
    top.push(Text(std::move(title)).with_size(13));
    top.push(Spacer::flexible());
    top.push(ws::tone_badge(badge, tone));
    Column column = Column().with_gap(ws::kTextBlockGap);
    column.push(std::move(top));
    column.push(Text(std::move(subtitle)).with_size(11).with_wrap(true));
    for (auto& buttons : lines) {
      if (buttons.empty()) continue;
      Row row = Row().with_gap(8);
      for (auto& widget : buttons) row.push(std::move(widget));
      row.push(Spacer::flexible());
      column.push(std::move(row));
    }
    return std::make_unique<Column>(std::move(column));
  }

  WidgetBox account_row(const LocalUser& user) {
    std::string subtitle = fmt::format("{} · UID {}", user.username, user.uid);
    if (user.signed_in) subtitle += " · signed in";
    ButtonLines lines;
    if (!user.signed_in) {
      std::vector<WidgetBox> changes;
      changes.push_back(button(user.administrator ? "Make standard" : "Make administrator", key::role(user.username)));
      changes.push_back(button(user.automatic_login ? "Disable automatic login" : "Enable automatic login",
                               key::autologin(user.username)));
      std::vector<WidgetBox> removal;
      if (pane_.pending_account_removal() == user.username) {
        removal.push_back(button("Remove, keep files", key::confirm_remove_keep(user.username)));
        removal.push_back(button("Remove account and files", key::confirm_remove(user.username)));
        lines.push_back(std::move(changes));
        lines.push_back(std::move(removal));
      } else {
        changes.push_back(button("Remove…", key::remove(user.username)));
        lines.push_back(std::move(changes));
      }
    }
    return row_with(user.full_name, std::move(subtitle), user.administrator ? "Administrator" : "Standard",
                    user.administrator ? kGoodTone : kQuietTone, std::move(lines));
  }

  WidgetBox identities_card() {
    WidgetBox body;
    if (pane_.identities().empty()) {
      body = ws::caption_text(kNoIdentities);
    } else {
      std::vector<WidgetBox> rows;
      for (const LocalIdentity& identity : pane_.identities()) rows.push_back(identity_row(identity));
      body = ws::section_stack(std::move(rows));
    }
    return ws::titled_card("Your Orvo identities", std::move(body));
  }

  WidgetBox identity_row(const LocalIdentity& identity) {
    const std::string title = identity.label && !identity.label->empty() ? *identity.label : identity.id;
    std::string subtitle = fmt::format("{} · key {}… · {}-of-{} · {}", identity.id, key_fingerprint(identity),
                                       identity.threshold_or_one(), identity.signers_or_one(),
                                       protection_text(identity.protection()));
    std::vector<WidgetBox> buttons;
    if (!identity.active) {
      buttons.push_back(button("Use", key::identity_activate(identity.id)));
      if (pane_.pending_identity_removal() == identity.id) {
        buttons.push_back(button("Remove identity", key::identity_confirm_remove(identity.id)));
      } else {
        buttons.push_back(button("Remove…", key::identity_remove(identity.id)));
      }
    }
    if (identity.protection() == SigningProtection::NeedsMigration) {
      buttons.push_back(button("Protect now", key::identity_protect(identity.id)));
    }
    ButtonLines lines;
    lines.push_back(std::move(buttons));
    return row_with(title, std::move(subtitle), identity.active ? "Active" : "Available",
                    identity.active ? kGoodTone : kQuietTone, std::move(lines));
  }

  WidgetBox protection_card() {
    const auto any = [&](SigningProtection protection) {
      return std::any_of(pane_.identities().begin(), pane_.identities().end(),
                         [&](const LocalIdentity& identity) { return identity.protection() == protection; });
    };
    std::vector<WidgetBox> captions;
    captions.push_back(ws::caption_text(kKeyringCaption));
    if (any(SigningProtection::PrivateFile)) captions.push_back(ws::caption_text(kFileFallbackCaption));
    if (any(SigningProtection::HardwareBacked)) captions.push_back(ws::caption_text(kHardwareCaption));
    return ws::titled_card("Signing protection", ws::section_stack(std::move(captions)));
  }

  const UsersPane& pane_;
  DocumentControls& controls_;
};

}  // namespace

std::unique_ptr<orvo_ui::Widget> UsersPane::build_view() { return UsersPageBuilder(*this, controls_).page(); }

}  // namespace settings::panes::users
