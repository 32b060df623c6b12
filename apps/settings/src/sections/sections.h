#pragma once
// The settings sections: the 22 pages of the application with their ids, titles, descriptions,
// search keywords, sidebar groups and icons, the order in which every list shows them, and the rule
// by which a search query matches a section.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "orvo_ui/icon.h"

namespace settings::settings_app {

// The five groups of the sidebar, in display order.
enum class SidebarGroup : std::uint8_t {
  Connectivity = 0,
  Devices = 1,
  System = 2,
  AccountsAndPermissions = 3,
  Maintenance = 4,
};

inline constexpr std::array<SidebarGroup, 5> kSidebarGroups{SidebarGroup::Connectivity, SidebarGroup::Devices,
                                                            SidebarGroup::System, SidebarGroup::AccountsAndPermissions,
                                                            SidebarGroup::Maintenance};

std::string_view title(SidebarGroup group);

// One section as a one-byte index. Usable like an enumeration (`SettingsSection::Network`, switch,
// comparison) with the section's fixed texts as member functions.
class SettingsSection {
 public:
  enum Value : std::uint8_t {
    Network = 0,
    Bluetooth = 1,
    DevicesSync = 2,
    Sound = 3,
    Displays = 4,
    MouseKeyboard = 5,
    KeyboardShortcuts = 6,
    TimeDate = 7,
    Users = 8,
    Printers = 9,
    Power = 10,
    Appearance = 11,
    Accessibility = 12,
    Notifications = 13,
    DefaultApps = 14,
    Storage = 15,
    ExternalAccounts = 16,
    AgentModels = 17,
    RegionFormats = 18,
    Permissions = 19,
    Updates = 20,
    About = 21,
  };
  static constexpr std::size_t kCount = 22;

  constexpr SettingsSection(Value value) : value_(value) {}  // NOLINT: converts like an enumerator
  // The section of an index 0..21; none for any other byte.
  static constexpr std::optional<SettingsSection> from_index(std::uint8_t index) {
    if (index >= kCount) return std::nullopt;
    return SettingsSection(static_cast<Value>(index));
  }

  // Also gives the comparisons, so a section compares with a section and with an enumerator.
  constexpr operator Value() const { return value_; }  // NOLINT: for switch
  constexpr std::uint8_t index() const { return value_; }

  std::string_view id() const;
  std::string_view title() const;
  // One line about the section: the page subtitle and the search entry's detail.
  std::string_view description() const;
  // Search keywords, lower case, in their stored order.
  std::span<const std::string_view> keywords() const;
  orvo_ui::Icon icon() const;
  SidebarGroup group() const;

  // Whether the section matches a search query (trimmed of Unicode white space, A-Z lower-cased): it is in the
  // lower-cased title or description, a keyword contains it, or a keyword is a whole word of it ("wifi" in
  // "my wifi network", not "ai" in "email"). An empty query matches every section; the id takes no part.
  bool matches(std::string_view query) const;

 private:
  Value value_;
};

// The order of every list of sections the application builds: sidebar groups, search results, the
// search catalog and the resource tree.
inline constexpr std::array<SettingsSection, SettingsSection::kCount> SIDEBAR_ORDER{
    SettingsSection::Network,           SettingsSection::Bluetooth,
    SettingsSection::DevicesSync,       SettingsSection::Sound,
    SettingsSection::Displays,          SettingsSection::MouseKeyboard,
    SettingsSection::KeyboardShortcuts, SettingsSection::Printers,
    SettingsSection::Appearance,        SettingsSection::Accessibility,
    SettingsSection::Notifications,     SettingsSection::DefaultApps,
    SettingsSection::Storage,           SettingsSection::Power,
    SettingsSection::TimeDate,          SettingsSection::Users,
    SettingsSection::RegionFormats,     SettingsSection::ExternalAccounts,
    SettingsSection::AgentModels,       SettingsSection::Permissions,
    SettingsSection::Updates,           SettingsSection::About,
};

// The text without leading and trailing Unicode white space (White_Space property). Invalid UTF-8 is
// kept as it is.
std::string_view trim_unicode_whitespace(std::string_view text);

}  // namespace settings::settings_app
