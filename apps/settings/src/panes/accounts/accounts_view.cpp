#include "panes/accounts/accounts_view.h"

#include <fmt/format.h>

#include <chrono>

#include "catalogues/account_bindings.h"
#include "orvo_ui/widgets/button.h"
#include "orvo_ui/widgets/column.h"
#include "orvo_ui/widgets/row.h"
#include "orvo_ui/widgets/spacer.h"
#include "orvo_ui/widgets/text.h"
#include "orvo_ui/widgets/text_input.h"
#include "panes/accounts/accounts_pane.h"
#include "panes/accounts_request.h"
#include "widget_support/layout_helpers.h"

namespace settings::panes::accounts {

namespace store = settings::accounts;
namespace ws = settings::widget_support;
using ::accounts::status::AccountSyncHealth;
using ::accounts::status::AccountSyncStatus;
using orvo_actions::OperationClass;
using orvo_ui::Button;
using orvo_ui::Column;
using orvo_ui::Row;
using orvo_ui::Spacer;
using orvo_ui::Text;
using orvo_ui::TextInput;
using ws::WidgetBox;
namespace input_kind = orvo_ui::text_input_kind;

namespace {

constexpr std::string_view kSectionId = "external_accounts";
constexpr std::string_view kSectionTitle = "External Accounts";
constexpr std::string_view kIntro =
    "Connect email, calendars and files once, then use them in compatible apps. Account details and credentials "
    "stay on this device; they are never shared with a workspace or collaborators.";
constexpr std::string_view kLocalKeyCaption =
    "The desktop Secret Service is unavailable, so this session uses an owner-only local vault key. Install or "
    "unlock a Secret Service for stronger key custody.";
constexpr std::string_view kSampleCaption =
    "You have no accounts yet. The entries below are examples of what you can add — use “Add” to create a real one.";
constexpr std::string_view kEmptyCaption = "You have no accounts yet. Use “Add” to connect your first account.";
constexpr std::string_view kFormCaption =
    "Required fields, the secure endpoint, and the credential are checked with a bounded protocol sign-in before "
    "anything is saved. Credentials and drafts stay device-local; they never enter collaboration state or account "
    "metadata.";
constexpr std::string_view kReauthCaption =
    "This replaces an existing password or app password in the OS account vault. OAuth authorization remains with "
    "the owning application.";
constexpr std::string_view kRemovalCaption =
    "{} will be removed from this device. Locally cached copies may be removed by its apps; data on the provider is "
    "not deleted. The encrypted credential and local sync-health record are removed.";

std::string ascii_lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::int64_t now_unix() {
  const auto since = std::chrono::system_clock::now().time_since_epoch();
  return std::max<std::int64_t>(0, std::chrono::duration_cast<std::chrono::seconds>(since).count());
}

WidgetBox text(std::string content, float size) {
  return std::make_unique<Text>(Text(std::move(content)).with_size(size).with_wrap(true));
}

WidgetBox button_row(WidgetBox first, WidgetBox second) {
  Row row = Row().with_gap(8);
  row.push(std::move(first));
  row.push(std::move(second));
  row.push(Spacer::flexible());
  return std::make_unique<Row>(std::move(row));
}

std::string_view identity_placeholder(AccountKind kind) {
  return kind == AccountKind::Email ? "you@example.com" : "Username or email";
}

std::string_view server_placeholder(AccountKind kind) {
  switch (kind) {
    case AccountKind::Email: return "Detected from your email address";
    case AccountKind::CalDav: return "https://calendar.example.com/dav";
    case AccountKind::WebDav: return "https://files.example.com/remote.php/dav";
    case AccountKind::Nextcloud: return "https://cloud.example.com";
  }
  return "";
}

WidgetBox text_field(orvo_ui::PublishedCell<std::string> cell, std::string_view id, std::string_view label,
                     std::string_view placeholder, std::uint8_t kind) {
  return std::make_unique<TextInput>(TextInput::from_state(std::move(cell))
                                         .with_id(id)
                                         .with_label(label)
                                         .with_placeholder(placeholder)
                                         .with_kind(kind));
}

WidgetBox secret_field(std::shared_ptr<orvo_secret::SecretBuffer> buffer, std::string_view id, std::string_view label,
                       std::string_view placeholder) {
  return std::make_unique<TextInput>(TextInput::from_secret(std::move(buffer))
                                         .with_id(id)
                                         .with_label(label)
                                         .with_placeholder(placeholder)
                                         .with_kind(input_kind::kPassword));
}

std::string message_caption(const std::optional<std::string>& message, bool checking, std::string_view failure) {
  if (!message) return {};
  if (checking) return *message;
  return fmt::format("{}{}", failure, *message);
}

}  // namespace

StatusBadge status_badge(bool sample_mode, bool enabled, const AccountSyncStatus* status, const orvo_ui::Theme& theme) {
  const orvo_ui::Color neutral = theme.secondary_text;
  if (sample_mode) return {"Example", neutral};
  if (!enabled) return {"Disabled", neutral};
  if (!status) return {"Not checked yet", neutral};
  switch (status->health) {
    case AccountSyncHealth::Never: return {"Not checked yet", neutral};
    case AccountSyncHealth::Syncing: return {"Syncing", theme.accent};
    case AccountSyncHealth::Healthy: return {"Up to date", theme.success};
    case AccountSyncHealth::Offline: return {"Offline", theme.warning};
    case AccountSyncHealth::NeedsAuthentication: return {"Sign in again", theme.warning};
    case AccountSyncHealth::Error: return {"Needs attention", theme.danger};
  }
  return {"Not checked yet", neutral};
}

std::string sync_age(std::int64_t now, std::optional<std::int64_t> last_success) {
  if (!last_success) return "never completed";
  const std::int64_t elapsed = std::max<std::int64_t>(0, now - *last_success);
  if (elapsed < 60) return "just now";
  if (elapsed < 3'600) return fmt::format("{} min ago", elapsed / 60);
  if (elapsed < 86'400) return fmt::format("{} h ago", elapsed / 3'600);
  return fmt::format("{} d ago", elapsed / 86'400);
}

std::string sync_line(std::int64_t now, const AccountSyncStatus* status) {
  if (!status) return "No application has reported a sync for this account.";
  const std::string age = sync_age(now, status->last_success_unix);
  if (status->message) return fmt::format("Last successful sync: {} · {}", age, *status->message);
  return fmt::format("Last successful sync: {}", age);
}

namespace {

// A button that writes `press_key`; when the operation has an action, the button carries it too.
WidgetBox account_action_button(DocumentControls& controls, std::string_view press_key, std::string label,
                                std::string resource_id, std::string resource_title, std::string action_name,
                                OperationClass cls, const std::optional<actions::AccountOperation>& operation,
                                bool destructive) {
  Button button = controls.press_button(std::string(press_key), label, press_key);
  if (!operation) return std::make_unique<Button>(std::move(button));
  auto binding = actions::external_account_binding(std::move(resource_id), std::move(resource_title),
                                                   std::move(action_name), std::move(label), cls, *operation,
                                                   destructive);
  if (binding) button = std::move(button).on_action(std::move(*binding));
  return std::make_unique<Button>(std::move(button));
}

// A plain button writing its key; its widget id is the key.
WidgetBox press(DocumentControls& controls, std::string label, std::string_view press_key) {
  return std::make_unique<Button>(controls.press_button(std::string(press_key), std::move(label), press_key));
}

std::string section_resource() { return fmt::format("settings.section:{}", kSectionId); }

}  // namespace

// The view is built by the pane, which owns every cell it shows.
class AccountsPageBuilder {
 public:
  AccountsPageBuilder(AccountsPane& pane, DocumentControls& controls) : pane_(pane), controls_(controls) {}

  WidgetBox page() {
    std::vector<WidgetBox> parts;
    parts.push_back(header());
    if (pane_.form().is_open()) parts.push_back(form_card());
    if (pane_.reauth_id()) parts.push_back(reauth_card());
    if (auto removal = removal_card()) parts.push_back(std::move(removal));
    for (const AccountKind kind : store::kAccountKinds) parts.push_back(kind_card(kind));
    return ws::page_stack(std::move(parts));
  }

 private:
  WidgetBox header() {
    std::vector<WidgetBox> lines;
    lines.push_back(text(std::string(kIntro), 12));
    if (pane_.reading_vault()) lines.push_back(ws::caption_text(std::string(sentence::kReadingSavedPasswords)));
    if (pane_.vault_message()) lines.push_back(ws::caption_text(*pane_.vault_message()));
    if (pane_.vault_uses_local_key()) lines.push_back(ws::caption_text(kLocalKeyCaption));
    if (pane_.sample_mode()) {
      lines.push_back(ws::caption_text(kSampleCaption));
    } else if (store::account_lists_empty(pane_.lists())) {
      lines.push_back(ws::caption_text(kEmptyCaption));
    }
    // A failed removal has no form to show its sentence in.
    if (!pane_.form().is_open() && pane_.form().message) {
      auto caption = ws::caption_text(*pane_.form().message);
      lines.push_back(std::move(caption));
    }
    return std::make_unique<Column>(ws::stack_column(std::move(lines), ws::kTextBlockGap));
  }

  WidgetBox form_card() {
    AccountForm& form = pane_.form();
    const AccountKind kind = *form.kind;
    const bool email = kind == AccountKind::Email;
    std::vector<WidgetBox> rows;
    rows.push_back(ws::setting_row("Display name", text_field(form.display_name, "accounts.form.name", "Display name",
                                                              "Display name", input_kind::kName)));
    if (email) {
      rows.push_back(ws::setting_row("Email address", text_field(form.identity, "accounts.form.identity",
                                                                 "Email address", identity_placeholder(kind),
                                                                 input_kind::kEmail)));
    } else {
      rows.push_back(ws::setting_row("Username", text_field(form.login_name, "accounts.form.identity", "Username",
                                                            identity_placeholder(kind), input_kind::kUsername)));
      rows.push_back(ws::setting_row("Server", text_field(form.server_url, "accounts.form.server", "Server URL",
                                                          server_placeholder(kind), input_kind::kUrl)));
    }
    if (email) {
      rows.push_back(ws::setting_row("Login name",
                                     text_field(form.login_name, "accounts.form.username", "Login name",
                                                "Username (defaults to your address)", input_kind::kUsername)));
    }
    rows.push_back(ws::setting_row("Password or app password",
                                   secret_field(form.password, "accounts.form.password", "Password or app password",
                                                "Password")));
    const std::string message = message_caption(form.message, pane_.form_busy(), "Could not save: ");
    if (!message.empty()) rows.push_back(ws::caption_text(message));
    rows.push_back(ws::caption_text(kFormCaption));
    rows.push_back(button_row(form_button(key::kFormSave, "Save account", "save-form", OperationClass::Effect,
                                          actions::AccountOperation::SubmitForm{}),
                              form_button(key::kFormCancel, "Cancel", "cancel-form", OperationClass::Navigation,
                                          actions::AccountOperation::CancelForm{})));
    const std::string title =
        fmt::format("{} {} account", form.editing_id ? "Edit" : "Add", store::label(kind));
    return ws::titled_card(title, ws::section_stack(std::move(rows)));
  }

  WidgetBox reauth_card() {
    std::vector<WidgetBox> rows;
    rows.push_back(ws::value_row("Account", *pane_.reauth_id()));
    rows.push_back(ws::setting_row("Credential", secret_field(pane_.reauth_password(), "accounts.reauth.password",
                                                              "New password or app password",
                                                              "New password or app password")));
    rows.push_back(ws::caption_text(kReauthCaption));
    const std::string message =
        message_caption(pane_.reauth_message(), pane_.replacement_busy(), "Could not update credential: ");
    if (!message.empty()) rows.push_back(ws::caption_text(message));
    rows.push_back(button_row(
        form_button(key::kReauthSave, "Update credential", "save-reauthentication", OperationClass::Effect,
                    actions::AccountOperation::SubmitReauthentication{}),
        form_button(key::kReauthCancel, "Cancel", "cancel-reauthentication", OperationClass::Navigation,
                    actions::AccountOperation::CancelReauthentication{})));
    return ws::titled_card("Replace saved password", ws::section_stack(std::move(rows)));
  }

  WidgetBox removal_card() {
    const auto& removal = pane_.pending_removal();
    if (!removal) return nullptr;
    const auto row = store::find_account_row(pane_.lists(), removal->id);
    if (!row) return nullptr;
    std::vector<WidgetBox> rows;
    rows.push_back(ws::caption_text(fmt::format(fmt::runtime(kRemovalCaption), row->title)));
    rows.push_back(button_row(press(controls_, "Remove from this device", key::kRemoveConfirm),
                              press(controls_, "Cancel", key::kRemoveCancel)));
    return ws::titled_card("Remove account?", ws::section_stack(std::move(rows)));
  }

  // A form button, bound to its action on the section's resource so it works from outside too.
  WidgetBox form_button(std::string_view press_key, std::string label, std::string action_name, OperationClass cls,
                        actions::AccountOperation operation) {
    return account_action_button(controls_, press_key, std::move(label), section_resource(), std::string(kSectionTitle),
                                 std::move(action_name), cls, operation, false);
  }

  WidgetBox kind_card(AccountKind kind) {
    const std::string kind_name(settings_app::to_string(kind));
    auto add = account_action_button(controls_, key::add(kind), "Add account", section_resource(),
                                     std::string(kSectionTitle), fmt::format("add-{}", store::id_prefix(kind)),
                                     OperationClass::Navigation, actions::AccountOperation{actions::AccountOperation::Add{kind_name}},
                                     false);
    const auto rows = store::account_rows(pane_.lists(), kind);
    WidgetBox content;
    if (rows.empty()) {
      content = ws::caption_text(fmt::format("No {} accounts yet.", ascii_lower(store::label(kind))));
    } else {
      std::vector<WidgetBox> widgets;
      const std::int64_t now = now_unix();
      for (const auto& row : rows) widgets.push_back(account_row(row, now));
      content = ws::section_stack(std::move(widgets));
    }
    return ws::titled_card_with_accessory(store::label(kind), std::move(add), std::move(content));
  }

  WidgetBox account_row(const store::AccountRow& row, std::int64_t now) {
    const AccountSyncStatus* status = pane_.sync_statuses().get(row.id);
    const StatusBadge badge = status_badge(pane_.sample_mode(), row.enabled, status, orvo_ui::Theme::dark());
    Row top;
    top.push(Text(row.title).with_size(13));
    top.push(Spacer::flexible());
    top.push(ws::colored_badge(badge.label, badge.color));

    Column column = Column().with_gap(ws::kTextBlockGap);
    column.push(std::move(top));
    column.push(Text(row.detail).with_size(11).with_wrap(true));
    if (!pane_.sample_mode()) {
      column.push(ws::caption_text(sync_line(now, status)));
      column.push(row_buttons(row));
    }
    return std::make_unique<Column>(std::move(column));
  }

  WidgetBox row_buttons(const store::AccountRow& row) {
    using Op = actions::AccountOperation;
    const std::string resource = fmt::format("settings.account:{}", row.id);
    Row buttons = Row().with_gap(8);
    buttons.push(account_action_button(controls_, key::edit(row.id), "Edit", resource, row.title, "edit",
                                       OperationClass::Navigation, Op{Op::Edit{row.id}}, false));
    buttons.push(account_action_button(controls_, key::reauth(row.id), "Sign in again", resource, row.title,
                                       "reauthenticate", OperationClass::Navigation, Op{Op::Reauthenticate{row.id}},
                                       false));
    buttons.push(account_action_button(controls_, key::test(row.id),
                                       row.kind == AccountKind::Email ? "Verify sign-in" : "Check server", resource,
                                       row.title, "test", OperationClass::Effect, Op{Op::Test{row.id}}, false));
    // Only writes its key: removal asks first, and the account's own "remove" action (reachable
    // from outside) is itself the confirmation.
    buttons.push(account_action_button(controls_, key::remove(row.id), "Remove", resource, row.title, "remove",
                                       OperationClass::Effect, std::nullopt, true));
    buttons.push(Spacer::flexible());
    return std::make_unique<Row>(std::move(buttons));
  }

  AccountsPane& pane_;
  DocumentControls& controls_;
};

std::unique_ptr<orvo_ui::Widget> AccountsPane::build_view() {
  return AccountsPageBuilder(*this, controls_).page();
}

}  // namespace settings::panes::accounts
