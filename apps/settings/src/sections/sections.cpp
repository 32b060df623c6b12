#include "sections/sections.h"

#include <string>

#include "orvo_runtime/text.h"

namespace settings::settings_app {

namespace {

using namespace std::string_view_literals;

struct SectionRow {
  std::string_view id;
  std::string_view title;
  std::string_view description;
  SidebarGroup group;
  orvo_ui::Icon icon;
  std::span<const std::string_view> keywords;
};

constexpr std::array kNetworkKeywords{"wifi"sv,      "wi-fi"sv, "wired"sv,    "ethernet"sv,  "vpn"sv,
                                      "wireguard"sv, "proxy"sv, "internet"sv, "connection"sv};
constexpr std::array kBluetoothKeywords{"pair"sv,     "pairing"sv, "device"sv,  "headphones"sv,
                                        "keyboard"sv, "mouse"sv,   "wireless"sv};
constexpr std::array kDevicesSyncKeywords{"sync"sv,
                                          "continuity"sv,
                                          "devices"sv,
                                          "server"sv,
                                          "host"sv,
                                          "remote control"sv,
                                          "relay"sv,
                                          "copies"sv,
                                          "files"sv,
                                          "clipboard"sv,
                                          "file transfer"sv,
                                          "realtime sessions"sv,
                                          "wi-fi settings"sv,
                                          "media handoff"sv,
                                          "display extension"sv,
                                          "notification mirroring"sv,
                                          "gamepad"sv,
                                          "typed gamepad"sv,
                                          "handoff"sv,
                                          "privacy"sv};
constexpr std::array kSoundKeywords{"audio"sv,   "volume"sv, "mute"sv,  "microphone"sv, "mic"sv,
                                    "speaker"sv, "output"sv, "input"sv, "device"sv,     "system sounds"sv};
constexpr std::array kDisplaysKeywords{"monitor"sv,     "screen"sv,     "resolution"sv,  "scale"sv,   "brightness"sv,
                                       "night light"sv, "blue light"sv, "arrangement"sv, "external"sv};
constexpr std::array kMouseKeyboardKeywords{
    "pointer"sv, "trackpad"sv, "touchpad"sv,      "scroll"sv,   "natural scrolling"sv, "tap to click"sv, "key repeat"sv,
    "layout"sv,  "cursor"sv,   "spell checker"sv, "spelling"sv, "autocorrect"sv,       "auto-correct"sv};
constexpr std::array kKeyboardShortcutsKeywords{"shortcuts"sv,    "hotkeys"sv,      "keybindings"sv, "keys"sv,
                                                "combinations"sv, "accelerators"sv, "workspace"sv};
constexpr std::array kTimeDateKeywords{"clock"sv,   "timezone"sv,       "time zone"sv, "ntp"sv,
                                       "24-hour"sv, "automatic time"sv, "calendar"sv};
constexpr std::array kUsersKeywords{"accounts"sv, "people"sv, "administrator"sv, "admin"sv, "login"sv, "roles"sv};
constexpr std::array kPrintersKeywords{"cups"sv, "print"sv, "queue"sv, "job"sv, "paper"sv, "scanner"sv};
constexpr std::array kPowerKeywords{"battery"sv,     "charge"sv,  "energy"sv, "power profile"sv, "performance"sv,
                                    "power saver"sv, "suspend"sv, "sleep"sv,  "screen blank"sv};
constexpr std::array kAppearanceKeywords{"theme"sv,         "dark mode"sv,     "light mode"sv, "contrast"sv,
                                         "high contrast"sv, "reduce motion"sv, "text size"sv,  "font"sv,
                                         "wallpaper"sv,     "color"sv};
constexpr std::array kAccessibilityKeywords{"a11y"sv,          "accessibility"sv, "universal access"sv,
                                            "screen reader"sv, "orca"sv,          "on-screen keyboard"sv,
                                            "osk"sv,           "cursor size"sv,   "large cursor"sv,
                                            "pointer size"sv,  "sticky keys"sv,   "slow keys"sv,
                                            "visual alerts"sv, "high contrast"sv, "reduce motion"sv,
                                            "text size"sv,     "zoom"sv};
constexpr std::array kNotificationsKeywords{"notification"sv,   "notify"sv,      "banner"sv,   "alert"sv,
                                            "do not disturb"sv, "dnd"sv,         "focus"sv,    "quiet"sv,
                                            "sounds"sv,         "lock screen"sv, "previews"sv, "badge"sv};
constexpr std::array kDefaultAppsKeywords{
    "default app"sv, "open with"sv, "file association"sv, "handler"sv, "browser"sv, "mail"sv, "pdf"sv};
constexpr std::array kStorageKeywords{"disk space"sv, "cache"sv,        "cleanup"sv,
                                      "app data"sv,   "synced files"sv, "backup"sv};
constexpr std::array kExternalAccountsKeywords{"email"sv,  "mail"sv,   "imap"sv,      "smtp"sv, "calendar"sv,
                                               "caldav"sv, "webdav"sv, "nextcloud"sv, "sync"sv, "cloud"sv};
constexpr std::array kAgentModelsKeywords{"agent"sv,  "ai"sv,        "model"sv,       "models"sv, "provider"sv,
                                          "openai"sv, "anthropic"sv, "api key"sv,     "vllm"sv,   "local model"sv,
                                          "ollama"sv, "llm"sv,       "tool calling"sv};
constexpr std::array kRegionFormatsKeywords{"locale"sv, "language"sv,    "currency"sv, "date format"sv, "time format"sv,
                                            "units"sv,  "measurement"sv, "metric"sv,   "imperial"sv};
constexpr std::array kPermissionsKeywords{
    "roles"sv,   "access"sv,     "sandbox"sv,     "grants"sv,   "file access"sv, "collaboration"sv, "security"sv,
    "privacy"sv, "encryption"sv, "secure boot"sv, "firewall"sv, "camera"sv,      "microphone"sv};
constexpr std::array kUpdatesKeywords{"software"sv, "upgrade"sv,  "version"sv, "bootc"sv,
                                      "firmware"sv, "rollback"sv, "release"sv};
constexpr std::array kAboutKeywords{
    "device"sv,  "identity"sv,    "os"sv,     "kernel"sv,          "hostname"sv,         "system"sv,
    "version"sv, "fingerprint"sv, "backup"sv, "portable backup"sv, "encrypted backup"sv, "recovery"sv};

using G = SidebarGroup;
using orvo_ui::Icon;

// Indexed by SettingsSection.
constexpr std::array<SectionRow, SettingsSection::kCount> kSections{{
    {"network", "Network", "Wi-Fi, wired connections, and VPN", G::Connectivity, Icon::Wifi, kNetworkKeywords},
    {"bluetooth", "Bluetooth", "Pair and manage Bluetooth devices", G::Connectivity, Icon::Bluetooth,
     kBluetoothKeywords},
    {"devices_sync", "Devices & Sync", "Copies, remote access, and server roles", G::Devices, Icon::Cloud,
     kDevicesSyncKeywords},
    {"sound", "Sound", "Output, input, volume, and system sounds", G::Devices, Icon::Speaker, kSoundKeywords},
    {"displays", "Displays", "Resolution, scale, arrangement, and brightness", G::Devices, Icon::Display,
     kDisplaysKeywords},
    {"mouse_keyboard", "Mouse & Keyboard", "Typing, spelling, input sources, and pointer behaviour", G::Devices,
     Icon::Keyboard, kMouseKeyboardKeywords},
    {"keyboard_shortcuts", "Keyboard Shortcuts", "System and workspace keyboard shortcuts", G::Devices, Icon::Shortcuts,
     kKeyboardShortcutsKeywords},
    {"time_date", "Time & Date", "Clock, time zone, and how dates display", G::System, Icon::Clock, kTimeDateKeywords},
    {"users", "Users", "Accounts on this device and their roles", G::System, Icon::Users, kUsersKeywords},
    {"printers", "Printers", "Printers, queues, and recent jobs", G::Devices, Icon::Printer, kPrintersKeywords},
    {"power", "Power", "Battery, power profile, and automatic suspend", G::System, Icon::Battery, kPowerKeywords},
    {"appearance", "Appearance", "Theme, contrast, motion, and text size", G::System, Icon::Sparkle,
     kAppearanceKeywords},
    {"accessibility", "Accessibility", "Vision, pointer, typing, and hearing assists", G::System, Icon::Accessibility,
     kAccessibilityKeywords},
    {"notifications", "Notifications", "Banners, previews, sounds, and Do Not Disturb", G::System, Icon::Bell,
     kNotificationsKeywords},
    {"default-apps", "Apps & Files", "Your preferred apps for links and file types", G::System, Icon::AppsAndFiles,
     kDefaultAppsKeywords},
    {"storage", "Storage", "Apps, data, cache, and synced files", G::System, Icon::Storage, kStorageKeywords},
    {"external_accounts", "External Accounts", "Accounts shared with compatible installed apps",
     G::AccountsAndPermissions, Icon::Cloud, kExternalAccountsKeywords},
    {"agent_models", "Agent Models", "Providers, local models, and the model agents use", G::AccountsAndPermissions,
     Icon::Sparkle, kAgentModelsKeywords},
    {"region_formats", "Region & Formats", "Currency, date, time, and measurement units", G::System, Icon::Globe,
     kRegionFormatsKeywords},
    {"permissions", "Device Privacy & Security",
     "This device's privacy and security; workspace access is managed per workspace", G::AccountsAndPermissions,
     Icon::Shield, kPermissionsKeywords},
    {"updates", "Updates", "Operating-system and firmware updates", G::Maintenance, Icon::Update, kUpdatesKeywords},
    {"about", "About", "Device identity and transfer", G::Maintenance, Icon::Info, kAboutKeywords},
}};

const SectionRow& row(SettingsSection section) { return kSections[section.index()]; }

std::string ascii_lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool contains(std::string_view haystack, std::string_view needle) {
  return haystack.find(needle) != std::string_view::npos;
}

// Letters and digits, ASCII or not, make up words; everything else (white space, punctuation,
// '-' and '_') separates them.
bool is_word_byte(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 0x80 || (u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
}

// Whether `word` occurs in `text` with no word character right before or after it.
bool contains_word(std::string_view text, std::string_view word) {
  if (word.empty()) return false;
  for (std::size_t at = text.find(word); at != std::string_view::npos; at = text.find(word, at + 1)) {
    const std::size_t end = at + word.size();
    const bool starts = at == 0 || !is_word_byte(text[at - 1]);
    const bool ends = end == text.size() || !is_word_byte(text[end]);
    if (starts && ends) return true;
  }
  return false;
}

}  // namespace

std::string_view title(SidebarGroup group) {
  switch (group) {
    case SidebarGroup::Connectivity: return "Connectivity";
    case SidebarGroup::Devices: return "Devices";
    case SidebarGroup::System: return "System";
    case SidebarGroup::AccountsAndPermissions: return "Accounts & Permissions";
    case SidebarGroup::Maintenance: return "Maintenance";
  }
  return "";
}

std::string_view SettingsSection::id() const { return row(*this).id; }
std::string_view SettingsSection::title() const { return row(*this).title; }
std::string_view SettingsSection::description() const { return row(*this).description; }
std::span<const std::string_view> SettingsSection::keywords() const { return row(*this).keywords; }
orvo_ui::Icon SettingsSection::icon() const { return row(*this).icon; }
SidebarGroup SettingsSection::group() const { return row(*this).group; }

bool SettingsSection::matches(std::string_view query) const {
  const std::string needle = ascii_lower(trim_unicode_whitespace(query));
  if (needle.empty()) return true;
  if (contains(ascii_lower(title()), needle)) return true;
  if (contains(ascii_lower(description()), needle)) return true;
  for (std::string_view keyword : keywords()) {
    if (contains(keyword, needle) || contains_word(needle, keyword)) return true;
  }
  return false;
}

std::string_view trim_unicode_whitespace(std::string_view text) {
  return orvo_runtime::text::trim_unicode_whitespace(text);
}

}  // namespace settings::settings_app
