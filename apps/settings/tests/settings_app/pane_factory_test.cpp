// The pages the pane factory builds: the page structure, the width limits, the generic panes and
// the region pane's content width.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <optional>

#include "orvo_runtime/system_paths.h"
#include "orvo_ui/widgets/column.h"
#include "orvo_ui/widgets/container.h"
#include "orvo_ui/widgets/scrollable.h"
#include "orvo_ui/widgets/text.h"
#include "root_support.h"
#include "settings_app/pane_factory.h"

namespace settings::settings_app {
namespace {

using namespace orvo_ui;

// The accounts page reads (and on its first open marks) the account stores of the user's
// configuration directory: every page here is built in a temporary one.
class TemporaryHome {
 public:
  TemporaryHome() {
    char pattern[] = "/tmp/orvo-factory-XXXXXX";
    root_ = ::mkdtemp(pattern);
    paths_.emplace(root_, root_ / "config", root_ / "runtime", root_ / "data");
  }
  ~TemporaryHome() {
    paths_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

 private:
  std::filesystem::path root_;
  std::optional<system_paths::ScopedOverride> paths_;
};

// Panes whose descriptor is their own rather than their section's, one per line.
std::optional<orvo_ui::PaneDescriptor> own_descriptor(SettingsSection section) {
  if (section == SettingsSection::TimeDate) {
    return orvo_ui::PaneDescriptor{"time-date", "Time & date", "Change time and date preferences"};
  }
  if (section == SettingsSection::MouseKeyboard) {
    return orvo_ui::PaneDescriptor{"input", "Mouse & keyboard", "Change input preferences"};
  }
  if (section == SettingsSection::KeyboardShortcuts) {
    return orvo_ui::PaneDescriptor{"keyboard-shortcuts", "Keyboard shortcuts", "Change keyboard shortcuts"};
  }
  if (section == SettingsSection::Power) return orvo_ui::PaneDescriptor{"power", "Power", "Change power preferences"};
  if (section == SettingsSection::DevicesSync) {
    return orvo_ui::PaneDescriptor{"devices-sync", "Devices & Sync", "Change device mesh settings"};
  }
  if (section == SettingsSection::DefaultApps) {
    return orvo_ui::PaneDescriptor{"personal-apps", "Personal app defaults", "Change default apps"};
  }
  if (section == SettingsSection::RegionFormats) {
    return orvo_ui::PaneDescriptor{"region", "Region & formats", "Change region preferences"};
  }
  return std::nullopt;
}

struct PageParts {
  const Container* outer = nullptr;
  const Container* limit = nullptr;
  const Column* column = nullptr;
};

PageParts parts_of(const Widget& page) {
  PageParts parts;
  parts.outer = dynamic_cast<const Container*>(&page);
  EXPECT_NE(parts.outer, nullptr);
  auto* scroll = dynamic_cast<const Scrollable*>(parts.outer->child());
  EXPECT_NE(scroll, nullptr);
  parts.limit = dynamic_cast<const Container*>(scroll->child());
  parts.column = dynamic_cast<const Column*>(parts.limit ? parts.limit->child() : scroll->child());
  EXPECT_NE(parts.column, nullptr);
  return parts;
}

// The texts of a subtree, in tree order.
std::vector<std::string> texts_of(const Widget& widget) {
  std::vector<std::string> out;
  if (auto* text = dynamic_cast<const Text*>(&widget)) out.push_back(text->text());
  widget.for_each_child([&](const Widget& child) {
    auto more = texts_of(child);
    out.insert(out.end(), more.begin(), more.end());
  });
  return out;
}

TEST(PaneFactory, EverySectionGetsAPageUnderItsHeader) {
  TemporaryHome home;
  for (SettingsSection section : SIDEBAR_ORDER) {
    SettingsApp root(std::nullopt);
    root.selection().publish(section);
    SyncContext sync;
    root.sync(sync);
    auto page = root.build_section_pane();
    PageParts parts = parts_of(*page);
    EXPECT_TRUE(parts.outer->fill());
    EXPECT_FALSE(parts.outer->centered());
    EXPECT_EQ(parts.column->gap(), kPageColumnGap);
    EXPECT_EQ(parts.column->cross_gap(), kPageColumnCrossGap);
    ASSERT_EQ(parts.column->child_count(), 2u);

    const auto texts = texts_of(*parts.column);
    ASSERT_GE(texts.size(), 3u);
    EXPECT_EQ(texts[0], "SETTINGS");
    EXPECT_EQ(texts[1], section.title());
    EXPECT_EQ(texts[2], section.description());
    auto descriptor = const_cast<Widget*>(parts.column->child(1))->pane_descriptor();
    // The notifications and agent models panes describe themselves through the page header only.
    if (section == SettingsSection::Notifications || section == SettingsSection::AgentModels) {
      EXPECT_FALSE(descriptor);
      continue;
    }
    ASSERT_TRUE(descriptor);
    const std::string_view pane_type = parts.column->child(1)->type_name();
    if (auto own = own_descriptor(section)) {
      EXPECT_EQ(*descriptor, *own);
      continue;
    }
    if (section == SettingsSection::Network) {
      EXPECT_EQ(pane_type, "settings::panes::network::NetworkPane");
    }
    EXPECT_EQ(*descriptor, section_descriptor(section));
    EXPECT_EQ(descriptor->id, section.id());
  }
}

TEST(PaneFactory, OnlyAccountsAndRegionPagesAreWidthLimited) {
  TemporaryHome home;
  for (SettingsSection section : SIDEBAR_ORDER) {
    SettingsApp root(std::nullopt);
    root.selection().publish(section);
    SyncContext sync;
    root.sync(sync);
    auto page = root.build_section_pane();
    PageParts parts = parts_of(*page);
    if (section == SettingsSection::ExternalAccounts || section == SettingsSection::RegionFormats) {
      ASSERT_NE(parts.limit, nullptr) << section.id();
      EXPECT_EQ(parts.limit->max_width(), section == SettingsSection::ExternalAccounts ? 1040.0f : 720.0f);
      EXPECT_TRUE(parts.limit->centered());
    } else {
      EXPECT_EQ(parts.limit, nullptr) << section.id();
    }
  }
}

TEST(PaneFactory, RegionWidthFollowsTheLaidOutContentArea) {
  SettingsApp alone(std::nullopt);
  EXPECT_EQ(region_content_width(alone), std::nullopt);

  testing::RootInALoop wide;
  wide.frame();
  const double content = wide.root().shell()->content_width();
  ASSERT_GT(content, 72);
  EXPECT_EQ(region_content_width(wide.root()), static_cast<float>(content - 72));

  // A content area of 72 points or less gives 0.
  testing::RootInALoop tiny(60, 1600);
  tiny.frame();
  tiny.run(tiny.click_row(SettingsSection::RegionFormats));
  ASSERT_GT(tiny.root().shell()->content_width(), 0);
  EXPECT_EQ(region_content_width(tiny.root()), 0.0f);
}

}  // namespace
}  // namespace settings::settings_app
