// A sample settings page built from the layout helpers, laid out with real fonts in a wide and a
// narrow window and written to PNG files beside the test (for looking at), with the structural
// checks that can be asserted: nothing overlaps its siblings and nothing runs out of the window.
#include <gtest/gtest.h>

#include <filesystem>

#include "orvo_ui/render.h"
#include "orvo_ui/widgets/app_shell.h"
#include "orvo_ui/widgets/icon_widget.h"
#include "orvo_ui/widgets/progress_bar.h"
#include "orvo_ui/widgets/qr_widget.h"
#include "orvo_ui/widgets/scrollable.h"
#include "orvo_ui/widgets/sparkline.h"
#include "widget_support/layout_helpers.h"
#include "../support/picture.h"

namespace settings::widget_support {
namespace {

using namespace orvo_ui;

template <typename W>
std::unique_ptr<Widget> boxed(W widget) {
  return std::make_unique<W>(std::move(widget));
}

std::unique_ptr<Widget> sample_nav() {
  Column rows = Column().with_gap(4).with_padding(8, 4);
  const std::pair<Icon, const char*> entries[] = {{Icon::Wifi, "Network"},       {Icon::Bluetooth, "Bluetooth"},
                                                  {Icon::Speaker, "Sound"},      {Icon::Display, "Displays"},
                                                  {Icon::Battery, "Power"},      {Icon::Clock, "Time & Date"},
                                                  {Icon::Update, "Updates"},     {Icon::Info, "About"}};
  for (const auto& [icon, title] : entries) {
    Row row = Row().with_spacing(true).with_padding(12, 8);
    row.push(IconWidget(icon).with_size(18));
    row.push(Text(title).with_size(14));
    rows.push(std::move(row));
  }
  return boxed(Container(Scrollable(std::move(rows))).with_fill(true));
}

std::unique_ptr<Widget> sample_content() {
  std::vector<WidgetBox> wifi;
  wifi.push_back(setting_row("Wi-Fi", tone_badge("On", badge_tone::kAccent)));
  wifi.push_back(value_row("Network", "Home Network (5 GHz)"));
  wifi.push_back(described_setting_row("Signal strength", "Measured over the last minute; higher is better.",
                                       boxed(Sparkline({-61, -58, -63, -55, -52, -57, -54, -49, -51, -50}))));
  wifi.push_back(setting_row_fixed("Firmware download", boxed(ProgressBar(0.62).with_label("62% of 1.2 GB"))));
  wifi.push_back(caption_text("Networks you join are remembered for this user only. Forgetting a network removes "
                              "its saved password from this device."));

  Row hotspot = Row().with_spacing(true).with_align(Align::Start);
  hotspot.push(QrWidget("WIFI:T:WPA;S:orvo-hotspot;P:correct horse battery staple;;"));
  std::vector<WidgetBox> details;
  details.push_back(value_row("Name", "orvo-hotspot"));
  details.push_back(value_row("Security", "WPA2"));
  details.push_back(caption_text("Scan the code with a phone to join this hotspot without typing the password."));
  details.push_back(boxed(ProgressBar::indeterminate().with_label("Waiting for devices").with_animation_suppressed(true)));
  hotspot.push(Container(section_stack(std::move(details))).with_grow(true));

  Row badges = Row().with_spacing(true);
  badges.push(tone_badge("Neutral", badge_tone::kNeutral));
  badges.push(tone_badge("Accent", badge_tone::kAccent));
  badges.push(tone_badge("Connected", badge_tone::kSuccess));
  badges.push(tone_badge("Metered", badge_tone::kWarning));
  badges.push(tone_badge("Blocked", badge_tone::kDanger));
  badges.push(colored_badge("Custom", Color::rgb(0xb87fe0)));

  std::vector<WidgetBox> cards;
  cards.push_back(hero_card(Icon::Wifi, "orvo-laptop", "Connected to Home Network since 09:41"));
  cards.push_back(titled_card_with_accessory("Wi-Fi", tone_badge("Connected", badge_tone::kSuccess),
                                             section_stack(std::move(wifi))));
  cards.push_back(titled_card("Hotspot", boxed(std::move(hotspot))));
  cards.push_back(titled_card("Status badges", boxed(std::move(badges))));

  Column page = Column().with_gap(16).with_cross_gap(24).with_padding(24, 24);
  page.push(page_header("Network", "Wi-Fi, wired connections, and VPN"));
  page.push(page_stack(std::move(cards)));
  Container limited = Container(std::move(page)).with_max_width(880).with_centered(true);
  return boxed(Container(Scrollable(std::move(limited))).with_fill(true));
}

AppShell sample_shell(bool selected) {
  auto search = std::make_unique<Container>(
      Container(Text("Search settings").with_size(13).with_tone(TextTone::Secondary)).with_height(32));
  AppShell shell = AppShell(sample_nav(), sample_content())
                       .with_search(std::move(search))
                       .with_breakpoint(720)
                       .with_nav_width(264)
                       .with_narrow_screen(true);
  if (selected) shell.notify_selection();
  return shell;
}

void walk(const Widget& w, const std::function<void(const Widget&)>& visit) {
  visit(w);
  for (const Widget* c : w.children()) walk(*c, visit);
}

bool overlaps(const Rect& a, const Rect& b) { return a.intersect(b).area() > 0.01; }

void expect_tidy(const Widget& root, float width) {
  walk(root, [&](const Widget& w) {
    const Rect r = w.get_rect();
    EXPECT_LE(r.x1, width + 0.01) << w.name() << " runs out of the window";
    EXPECT_GE(r.x0, -0.01) << w.name();
    const auto* box = dynamic_cast<const FlexBox*>(&w);
    if (!box) return;
    for (std::size_t i = 0; i < box->child_count(); ++i) {
      const Rect ri = box->child(i)->get_rect();
      EXPECT_LE(ri.x1, r.x1 + 0.01) << box->child(i)->name() << " overflows its " << w.name();
      for (std::size_t j = i + 1; j < box->child_count(); ++j) {
        EXPECT_FALSE(overlaps(ri, box->child(j)->get_rect()))
            << box->child(i)->name() << " " << i << " overlaps " << box->child(j)->name() << " " << j;
      }
    }
  });
}

// Window width, and whether a section was selected (a narrow window then shows the content).
class SamplePage : public ::testing::TestWithParam<std::tuple<int, bool>> {};

TEST_P(SamplePage, RendersWithoutOverlapsAndWritesAPicture) {
  const auto [width, selected] = GetParam();
  const int height = 800;
  AppShell shell = sample_shell(selected);
  TextRenderer text(TextRenderer::Metrics::Fonts);
  settings::testing::lay_out(shell, text, width, height);

  EXPECT_EQ(shell.is_narrow(), width < 720);
  EXPECT_EQ(shell.content_width() > 0, selected || width >= 720);
  expect_tidy(shell, float(width));

  const std::string path = "sample_page_" + std::to_string(width) + "x" + std::to_string(height) +
                           (selected ? "" : "_navigation") + ".png";
  ASSERT_TRUE(settings::testing::write_picture(shell, text, width, height, path, "sample page"));
}

INSTANTIATE_TEST_SUITE_P(Windows, SamplePage,
                         ::testing::Values(std::tuple{1280, true}, std::tuple{600, true}, std::tuple{600, false}));

}  // namespace
}  // namespace settings::widget_support
