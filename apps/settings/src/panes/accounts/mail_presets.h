#pragma once
// Server settings of well-known public mail providers, so that a new mail account on one of their
// domains needs only its address and password.
#include <array>
#include <span>
#include <string>
#include <string_view>

#include "accounts/account_records.h"

namespace settings::panes::accounts {

struct MailProviderPreset {
  std::span<const std::string_view> domains;  // lower case
  std::string_view imap_host;
  std::string_view smtp_host;
};

// Every preset is reached on the default ports (993 for IMAP, 465 for SMTP) with TLS.
std::span<const MailProviderPreset> mail_provider_presets();

// Completes a new mail account's settings from its address: an empty login becomes the address, an
// empty display name the part before "@", and the server hosts those of the provider whose domain
// matches the part after the first "@" (ASCII case ignored), else "imap." and "smtp." followed by the
// domain as typed. Answers whether a provider matched. Without "@" nothing changes; ports and TLS
// flags are never changed here.
bool apply_mail_provider_preset(settings::accounts::AccountConfig& config);

// The text with ASCII letters in lower case and every other byte as it is: how mail domains are
// compared and how a mail address becomes an account id.
std::string ascii_lowercase(std::string_view text);

}  // namespace settings::panes::accounts
