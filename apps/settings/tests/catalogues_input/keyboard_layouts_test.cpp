#include "settings_store/keyboard_layouts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "orvo_testing/temp_dir.h"

namespace settings_store::hardware {
namespace {

using Catalogue = std::vector<KeyboardLayout>;

// Models, options and the layout elements that are not names or descriptions are passed over; a
// layout without a description is listed under its id; variants join the layout's description.
constexpr std::string_view kRules = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE xkbConfigRegistry SYSTEM "xkb.dtd">
<xkbConfigRegistry version="1.1">
  <modelList>
    <model><configItem><name>pc105</name><description>Generic 105-key PC</description></configItem></model>
  </modelList>
  <layoutList>
    <layout>
      <configItem>
        <name>us</name>
        <shortDescription>en</shortDescription>
        <description>English (US)</description>
        <languageList><iso639Id>eng</iso639Id></languageList>
      </configItem>
      <variantList>
        <variant><configItem><name>dvorak</name><description>English (Dvorak)</description></configItem></variant>
        <variant><configItem><name>colemak</name></configItem></variant>
        <variant><configItem><description>Nameless</description></configItem></variant>
      </variantList>
    </layout>
    <layout>
      <configItem><name>fr</name><description>  French &amp; Breton &#x2014; &#233;t&#xE9; &bogus;</description></configItem>
    </layout>
    <layout><configItem><name>zz</name></configItem></layout>
    <layout><configItem><name>us</name><description>Repeated US</description></configItem></layout>
    <layout><configItem><name>ch</name><description>German</description></configItem></layout>
    <layout><configItem><name>de</name><description>german</description></configItem></layout>
    <layout><configItem><name>at</name><description>German</description></configItem></layout>
    <layout><configItem><name>bad id</name><description>Refused</description></configItem></layout>
  </layoutList>
  <optionList>
    <group><configItem><name>grp</name><description>Switching to another layout</description></configItem></group>
  </optionList>
</xkbConfigRegistry>
)";

TEST(KeyboardLayouts, ParsesLayoutsAndVariantsIntoTheCatalogueOrder) {
  const auto catalogue = parse_rules_layouts(kRules);
  ASSERT_TRUE(catalogue.has_value());
  // Sorted by the lower-cased name (stable: "German" ch before "german" de before "German" at);
  // the repeated "us" keeps its first entry; the two "German" layouts carry their ids.
  const Catalogue expected{
      {"us", "English (US)"},
      {"us:colemak", "English (US) — colemak"},
      {"us:dvorak", "English (US) — English (Dvorak)"},
      {"fr", "French & Breton — été"},
      {"ch", "German · ch"},
      {"de", "german"},
      {"at", "German · at"},
      {"zz", "zz"},
  };
  EXPECT_EQ(*catalogue, expected);
}

TEST(KeyboardLayouts, TheOrderLowerCasesTheWholeNameNotOnlyAsciiLetters) {
  // With ASCII-only lower-casing "É" (C3 89) would sort before "é" (C3 A9) and the two stay apart;
  // lower-cased as Unicode text both begin with "é" and the rest of the name decides.
  const Catalogue entries{{"x1", "Ézy"}, {"x2", "éab"}, {"x3", "Zulu"}, {"x4", "ÉAB"}};
  const Catalogue expected{{"x3", "Zulu"}, {"x2", "éab"}, {"x4", "ÉAB"}, {"x1", "Ézy"}};
  EXPECT_EQ(keyboard_layout_order(entries), expected);
}

TEST(KeyboardLayouts, ABrokenRulesDocumentGivesNothing) {
  const std::string_view layout = "<layout><configItem><name>us</name><description>US</description></configItem>";
  const std::string broken_utf8 = std::string("<r>") + std::string(layout) + "</layout><x>\xC3\x28</x></r>";
  const std::array<std::string, 5> cases{
      std::string("<r>") + std::string(layout) + "</layout><unclosed></r>",
      broken_utf8,
      std::string("<r><layout><configItem><name>us</name><description>A & B</description></configItem></layout></r>"),
      std::string("<r><layout><configItem><name>us</name><description>&#xD800;</description></configItem></layout></r>"),
      std::string(),
  };
  for (const auto& text : cases) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(parse_rules_layouts(text).has_value());
  }
}

TEST(KeyboardLayouts, InputSourceIdsAreXkbSymbols) {
  EXPECT_EQ(input_source_id("us"), "us");
  EXPECT_EQ(input_source_id("us", "dvorak-intl"), "us:dvorak-intl");
  EXPECT_EQ(input_source_id(""), std::nullopt);
  EXPECT_EQ(input_source_id("us", ""), std::nullopt);
  EXPECT_EQ(input_source_id("us:x"), std::nullopt);
  EXPECT_EQ(input_source_id("de", "neo(x)"), std::nullopt);
}

TEST(KeyboardLayouts, TheFirstRulesFileThatYieldsAnEntryIsTheCatalogue) {
  const std::string good = "<r><layout><configItem><name>se</name><description>Swedish</description>"
                           "</configItem></layout></r>";
  const std::string empty = "<r><modelList/></r>";
  const std::string broken = "<r><layout><configItem><name>dk</name></configItem></layout>";
  struct Case {
    const char* what;
    const char* evdev;  // null: the file is missing
    const char* base;
    bool builtin;
  };
  const Case cases[] = {
      {"evdev missing, base present", nullptr, good.c_str(), false},
      {"evdev broken", broken.c_str(), good.c_str(), false},
      {"evdev without layouts", empty.c_str(), good.c_str(), false},
      {"neither gives a layout", broken.c_str(), empty.c_str(), true},
      {"no files at all", nullptr, nullptr, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const orvo_testing::TempDir dir;
    const std::array<std::filesystem::path, 2> files{dir.root() / "evdev.xml", dir.root() / "base.xml"};
    if (c.evdev != nullptr) dir.write("evdev.xml", c.evdev);
    if (c.base != nullptr) dir.write("base.xml", c.base);
    const Catalogue catalogue = load_keyboard_layouts(files);
    if (c.builtin) {
      EXPECT_EQ(catalogue, builtin_keyboard_layouts());
    } else {
      EXPECT_EQ(catalogue, (Catalogue{{"se", "Swedish"}}));
    }
  }
  EXPECT_EQ(builtin_keyboard_layouts().size(), 16U);
}

TEST(KeyboardLayouts, ReadsTheSystemRulesWhenInstalled) {
  const std::filesystem::path evdev = "/usr/share/X11/xkb/rules/evdev.xml";
  if (!std::filesystem::exists(evdev)) GTEST_SKIP() << "no XKB rules on this machine";
  const Catalogue catalogue = load_keyboard_layouts();
  ASSERT_NE(catalogue, builtin_keyboard_layouts());
  const auto find = [&catalogue](std::string_view id) {
    return std::ranges::find(catalogue, id, &KeyboardLayout::id);
  };
  ASSERT_NE(find("us"), catalogue.end());
  EXPECT_EQ(find("us")->name, "English (US)");
  EXPECT_NE(find("us:dvorak"), catalogue.end());
}

}  // namespace
}  // namespace settings_store::hardware
