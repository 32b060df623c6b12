#pragma once
// The four kinds of online account Settings offers, carried as a one-byte index.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace settings::accounts {

enum class AccountKind : std::uint8_t { Email = 0, CalDav = 1, WebDav = 2, Nextcloud = 3 };

inline constexpr std::array<AccountKind, 4> kAccountKinds{AccountKind::Email, AccountKind::CalDav,
                                                          AccountKind::WebDav, AccountKind::Nextcloud};

// The account type id of the kind's accounts in the store ("email", "caldav", "webdav", "nextcloud").
constexpr std::string_view type_id(AccountKind kind) {
  switch (kind) {
    case AccountKind::Email: return "email";
    case AccountKind::CalDav: return "caldav";
    case AccountKind::WebDav: return "webdav";
    case AccountKind::Nextcloud: return "nextcloud";
  }
  return "";
}

// The prefix of generated account ids ("mail", "caldav", "webdav", "nextcloud").
constexpr std::string_view id_prefix(AccountKind kind) {
  return kind == AccountKind::Email ? std::string_view("mail") : type_id(kind);
}

constexpr std::string_view label(AccountKind kind) {
  switch (kind) {
    case AccountKind::Email: return "Email";
    case AccountKind::CalDav: return "Calendar (CalDAV)";
    case AccountKind::WebDav: return "Files (WebDAV)";
    case AccountKind::Nextcloud: return "Nextcloud";
  }
  return "";
}

constexpr std::optional<AccountKind> kind_from_index(std::uint8_t index) {
  if (index >= kAccountKinds.size()) return std::nullopt;
  return kAccountKinds[index];
}

}  // namespace settings::accounts
