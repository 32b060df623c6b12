// The Region & formats pane against a temporary home: what it publishes, adopts, commits and saves,
// its preview, and the narrow form of its rows.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "harness/pane_harness.h"
#include "harness/pane_home.h"
#include "orvo_doc/document.h"
#include "panes/region/region_pane.h"

namespace settings::panes::region {
namespace {

using orvo_doc::ScalarValue;
using preferences::Currency;
using preferences::Locale;
using testing::PaneHarness;

constexpr std::string_view kFile = "config/orvo/settings.json";
constexpr std::string_view kSaved =
    R"({"version":1,"locale":{"currency":"EUR","date_format":"EU","time_format":"H24","measurement":"Metric",)"
    R"("number_style":"DecimalComma","first_day_of_week":"Monday"},"appearance":{"theme":"Nord"},"other":{"kept":1}})";

struct PaneFixture {
  PaneHarness harness;
  orvo_doc::Document document;
  std::unique_ptr<RegionPane> pane;

  explicit PaneFixture(std::string_view file = kSaved, std::optional<float> width = std::nullopt) {
    if (!file.empty()) harness.home().write(kFile, file);
    pane = RegionPane::load(width);
  }
  void pass() { PaneHarness::pass(*pane, &document); }
  void put(std::string_view key, std::string text) {
    ASSERT_TRUE(document.put(orvo_doc::kRoot, key, ScalarValue::str(std::move(text))));
  }
  std::optional<std::string> get(std::string_view key) {
    auto value = document.get(orvo_doc::kRoot, key);
    if (!value || !*value || !std::get<ScalarValue>(**value).as_str()) return std::nullopt;
    return *std::get<ScalarValue>(**value).as_str();
  }
  nlohmann::json saved() { return nlohmann::json::parse(*harness.home().read(kFile)); }
};

TEST(RegionLabels, CurrencyParsingAndPreview) {
  EXPECT_EQ(parse_currency("usd"), Currency::USD);
  EXPECT_EQ(parse_currency("cHf"), Currency::CHF);
  EXPECT_EQ(parse_currency("XYZ"), std::nullopt);
  EXPECT_EQ(parse_currency("US D"), std::nullopt);

  const std::pair<Locale, std::string_view> amounts[] = {
      {{.currency = Currency::EUR, .number_style = preferences::NumberStyle::DecimalComma}, "€1.234.567,89"},
      {{.currency = Currency::CHF, .number_style = preferences::NumberStyle::DecimalPoint}, "CHF1,234,567.89"},
  };
  for (const auto& [locale, amount] : amounts) EXPECT_EQ(preview_of(locale).amount, amount);
  const RegionPreview us = preview_of({.date_format = preferences::DateFormat::US,
                                       .time_format = preferences::TimeFormat::H12,
                                       .measurement = preferences::Measurement::Imperial,
                                       .first_day_of_week = preferences::FirstDayOfWeek::Sunday});
  EXPECT_EQ(us.date, "03/15/2023");
  EXPECT_EQ(us.time, "2:05 PM");
  EXPECT_EQ(us.temperature, "70 °F");
  EXPECT_EQ(us.week_starts, "Sunday");
}

TEST(RegionPane, FirstPassPublishesTheSavedLabelsAndSavesNothing) {
  PaneFixture f;
  f.pass();
  EXPECT_EQ(f.get("region.currency"), "EUR");
  EXPECT_EQ(f.get("region.date_format"), "European (15/03/2023)");
  EXPECT_EQ(f.get("region.number_style"), "1.234.567,89");
  EXPECT_EQ(f.get("region.first_day.edit"), "Monday");
  EXPECT_TRUE(f.pane->action_host().last_action.has_value());
  f.pass();
  EXPECT_EQ(f.pane->saves(), 0u);
  // No file: every format takes its first choice.
  PaneFixture fresh("");
  fresh.pass();
  EXPECT_EQ(fresh.get("region.currency"), "USD");
  EXPECT_EQ(fresh.get("region.date_format"), "ISO (2023-03-15)");
}

TEST(RegionPane, DescribesItselfAndHasNoSourceRecordUntilTheUserActs) {
  PaneFixture f;
  f.pass();
  EXPECT_EQ(f.pane->pane_descriptor(),
            (orvo_ui::PaneDescriptor{"region", "Region & formats", "Change region preferences"}));
  EXPECT_FALSE(f.pane->commit_context().has_value());
}

TEST(RegionPane, AUserChoiceIsCommittedSwitchedAndSavedInOnePass) {
  PaneFixture f;
  f.pass();
  const auto published = f.pane->action_host().last_action;
  // Another writer (the clock's hour cycle, a client) changes a format the page does not touch.
  std::string elsewhere(kSaved);
  elsewhere.replace(elsewhere.find("Monday"), 6, "Sunday");
  f.harness.home().write(kFile, elsewhere);
  f.put("region.time_format.edit", "12-hour (2:05 PM)");
  f.pass();
  EXPECT_EQ(f.get("region.time_format"), "12-hour (2:05 PM)");
  EXPECT_NE(f.pane->action_host().last_action, published);
  EXPECT_EQ(f.pane->locale().time_format, preferences::TimeFormat::H12);
  EXPECT_EQ(f.pane->saves(), 1u);
  const auto saved = f.saved();
  EXPECT_EQ(saved["locale"]["time_format"], "H12");
  EXPECT_EQ(saved["locale"]["currency"], "EUR");
  EXPECT_EQ(saved["locale"]["first_day_of_week"], "Sunday") << "only the changed format is written";
  EXPECT_EQ(saved["appearance"]["theme"], "Nord");
  EXPECT_EQ(saved["other"]["kept"], 1);
  f.pass();
  EXPECT_EQ(f.pane->saves(), 1u);
}

TEST(RegionPane, CurrencyTextsFromOutside) {
  struct Case {
    const char* text;
    Currency currency;
    const char* stored;
  };
  // Lower case names a code; a text naming none leaves the currency; both are saved once only.
  const Case cases[] = {{"usd", Currency::USD, "USD"}, {"XYZ", Currency::EUR, "EUR"}, {"gbp", Currency::GBP, "GBP"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    PaneFixture f;
    f.pass();
    f.put("region.currency", c.text);
    f.pass();
    EXPECT_EQ(f.pane->locale().currency, c.currency);
    EXPECT_EQ(f.get("region.currency.edit"), c.text);
    EXPECT_EQ(f.pane->saves(), 1u);
    EXPECT_EQ(f.saved()["locale"]["currency"], c.stored);
    for (int pass = 0; pass < 3; ++pass) f.pass();
    EXPECT_EQ(f.pane->saves(), 1u);
  }
}

TEST(RegionPane, AChoiceMadeWhileAForeignTextSitsInTheValueIsCommitted) {
  PaneFixture f;
  f.pass();
  f.put("region.currency", "XYZ");
  f.pass();
  f.put("region.currency.edit", "GBP");
  f.pass();
  EXPECT_EQ(f.get("region.currency"), "GBP");
  EXPECT_EQ(f.pane->locale().currency, Currency::GBP);
  EXPECT_EQ(f.saved()["locale"]["currency"], "GBP");
  EXPECT_EQ(f.pane->saves(), 2u);
}

// The x of the currency dropdown, relative to the pane, once laid out in a window of that width.
double dropdown_offset(std::uint32_t window_width) {
  PaneFixture f;
  f.pass();
  testing::PaneInALoop ui(*f.pane, window_width, 800);
  ui.frame();
  ui.frame();
  orvo_ui::Widget* dropdown = testing::find_widget(*f.pane, "region.currency");
  if (!dropdown) return -1;
  return dropdown->get_rect().x0 - f.pane->get_rect().x0;
}

TEST(RegionPane, NarrowRowsPutTheLabelAboveTheDropdown) {
  PaneFixture f(kSaved, 320);
  EXPECT_TRUE(f.pane->stacked());
  PaneFixture wide(kSaved, 400);
  EXPECT_FALSE(wide.pane->stacked());
  PaneFixture unknown(kSaved);
  EXPECT_FALSE(unknown.pane->stacked());
  // The shell's width is asked again at every layout, so a narrowed window stacks the rows.
  float shell_width = 400;
  RegionPane live({}, RegionPane::WidthSource([&] { return std::optional<float>(shell_width); }));
  EXPECT_FALSE(live.stacked());
  shell_width = 348;
  EXPECT_TRUE(live.stacked());

  // Without a width from the shell, the laid-out width decides.
  // Stacked, the dropdown starts at the card's inset; beside its label, well to the right.
  EXPECT_LT(dropdown_offset(320), 40.0);
  EXPECT_GT(dropdown_offset(480), 100.0);
}

}  // namespace
}  // namespace settings::panes::region
