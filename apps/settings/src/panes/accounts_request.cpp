#include "panes/accounts_request.h"

#include <array>
#include <utility>
#include <orvo_runtime/overloaded.h>

namespace settings::settings_app {
namespace {
constexpr std::array<std::pair<AccountKind, std::string_view>, 4> kKinds{{{AccountKind::Email, "mail"},
                                                                           {AccountKind::CalDav, "caldav"},
                                                                           {AccountKind::WebDav, "webdav"},
                                                                           {AccountKind::Nextcloud, "nextcloud"}}};

using orvo_runtime::Overloaded;
}  // namespace

std::optional<AccountKind> account_kind_from_text(std::string_view text) {
  for (const auto& [kind, name] : kKinds) {
    if (name == text) return kind;
  }
  return std::nullopt;
}

std::string_view to_string(AccountKind kind) { return kKinds[static_cast<std::size_t>(kind)].second; }

std::expected<std::optional<AccountsRequest>, std::string> accounts_request_for(
    const actions::AccountOperation& operation) {
  using Result = std::expected<std::optional<AccountsRequest>, std::string>;
  namespace op = actions::account_operation;
  return std::visit(
      Overloaded{
          [](const op::Add& add) -> Result {
            auto kind = account_kind_from_text(add.kind);
            if (!kind) return std::unexpected(std::string("unknown account kind"));
            return AccountsRequest{AccountsRequest::Add{*kind}};
          },
          [](const op::Open& open) -> Result { return AccountsRequest{AccountsRequest::Open{open.id}}; },
          [](const op::Edit& edit) -> Result { return AccountsRequest{AccountsRequest::Open{edit.id}}; },
          [](const op::Reauthenticate& r) -> Result {
            return AccountsRequest{AccountsRequest::Reauthenticate{r.id}};
          },
          [](const op::SubmitForm&) -> Result { return AccountsRequest{AccountsRequest::SubmitForm{}}; },
          [](const op::CancelForm&) -> Result { return AccountsRequest{AccountsRequest::CancelForm{}}; },
          [](const op::SubmitReauthentication&) -> Result {
            return AccountsRequest{AccountsRequest::SubmitReauthentication{}};
          },
          [](const op::CancelReauthentication&) -> Result {
            return AccountsRequest{AccountsRequest::CancelReauthentication{}};
          },
          [](const op::Test&) -> Result { return std::optional<AccountsRequest>{}; },
          [](const op::Remove&) -> Result { return std::optional<AccountsRequest>{}; },
      },
      static_cast<const actions::AccountOperation::variant&>(operation));
}

}  // namespace settings::settings_app
