#include "panes/accounts/mail_presets.h"

#include <algorithm>
#include <string>

namespace settings::panes::accounts {
namespace {

constexpr std::array<std::string_view, 2> kGoogleDomains{"gmail.com", "googlemail.com"};
constexpr std::array<std::string_view, 3> kYahooDomains{"yahoo.com", "ymail.com", "rocketmail.com"};
constexpr std::array<std::string_view, 1> kFastmailDomains{"fastmail.com"};
constexpr std::array<std::string_view, 2> kGmxDomains{"gmx.net", "gmx.de"};

constexpr std::array<MailProviderPreset, 4> kPresets{{
    {kGoogleDomains, "imap.gmail.com", "smtp.gmail.com"},
    {kYahooDomains, "imap.mail.yahoo.com", "smtp.mail.yahoo.com"},
    {kFastmailDomains, "imap.fastmail.com", "smtp.fastmail.com"},
    {kGmxDomains, "imap.gmx.net", "mail.gmx.net"},
}};

const MailProviderPreset* preset_for(std::string_view domain) {
  const std::string lower = ascii_lowercase(domain);
  for (const auto& preset : kPresets) {
    if (std::ranges::find(preset.domains, lower) != preset.domains.end()) return &preset;
  }
  return nullptr;
}

}  // namespace

std::span<const MailProviderPreset> mail_provider_presets() { return kPresets; }

std::string ascii_lowercase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

bool apply_mail_provider_preset(settings::accounts::AccountConfig& config) {
  const auto at = config.email.find('@');
  if (at == std::string::npos) return false;
  const std::string local_part = config.email.substr(0, at);
  const std::string domain = config.email.substr(at + 1);

  if (config.username.empty()) config.username = config.email;
  if (config.display_name.empty()) config.display_name = local_part;

  if (const auto* preset = preset_for(domain)) {
    config.imap_host = preset->imap_host;
    config.smtp_host = preset->smtp_host;
    return true;
  }
  config.imap_host = "imap." + domain;
  config.smtp_host = "smtp." + domain;
  return false;
}

}  // namespace settings::panes::accounts
