#include <gtest/gtest.h>

#include "laid_out.h"
#include "orvo_ui/widgets/qr_widget.h"

namespace orvo_ui {
namespace {

using testing::LaidOut;

// Version 40 at level M holds 2331 bytes; this is more.
std::string too_long() { return std::string(2400, 'a'); }

void expect_finder_pattern_at_top_left(const QrWidget& qr) {
  const auto w = qr.width();
  for (std::uint64_t i = 0; i < 7; ++i) {
    EXPECT_EQ(qr.modules()[i], 1) << "top edge, column " << i;
    EXPECT_EQ(qr.modules()[i * w], 1) << "left edge, row " << i;
  }
  EXPECT_EQ(qr.modules()[1 * w + 1], 0) << "light ring inside the finder";
}

TEST(QrWidget, ShortPayloadGivesASquareOfModules) {
  QrWidget qr("hello");
  EXPECT_EQ(qr.error(), std::nullopt);
  EXPECT_EQ(qr.width(), 21u) << "version 1 holds it";
  ASSERT_EQ(qr.modules().size(), 21u * 21u);
  for (auto m : qr.modules()) ASSERT_LE(m, 1);
  expect_finder_pattern_at_top_left(qr);
  EXPECT_EQ(qr.widget_id(), "qr_widget");
  EXPECT_EQ(qr.label(), "QR code");
  EXPECT_EQ(qr.error_correction(), QrWidget::kLevelM);
  EXPECT_EQ(qr.quiet_zone(), 4u);
}

TEST(QrWidget, LongerPayloadsGrowTheCode) {
  QrWidget qr("WIFI:T:WPA;S:orvo-hotspot;P:correct horse battery staple;;");
  EXPECT_GT(qr.width(), 21u);
  EXPECT_EQ((qr.width() - 17) % 4, 0u) << "sides are 17 + 4 x version";
  QrWidget with_nul(std::string("a\0b", 3));
  EXPECT_EQ(with_nul.error(), std::nullopt);
  EXPECT_EQ(with_nul.width(), 21u);
}

TEST(QrWidget, TooLongPayloadGivesNoModulesAndTheEncodersError) {
  QrWidget qr(too_long());
  EXPECT_EQ(qr.width(), 0u);
  EXPECT_TRUE(qr.modules().empty());
  EXPECT_EQ(qr.error(), "input data is too large");
  EXPECT_EQ(qr.widget_id(), "qr_widget");
  EXPECT_EQ(qr.accessibility()->description, "input data is too large");

  // The error shows in place of the code, and a later payload clears it.
  LaidOut l;
  l.lay_out(qr, 300, 300);
  Scene scene = l.draw(qr, std::nullopt);
  ASSERT_EQ(scene.size(), 1u);
  EXPECT_EQ(std::get<draw::Text>(scene.commands()[0]).text, "input data is too large");

  qr.set_payload("hello");
  EXPECT_EQ(qr.error(), std::nullopt);
  EXPECT_EQ(qr.width(), 21u);
  expect_finder_pattern_at_top_left(qr);

  qr.set_payload(too_long());
  EXPECT_EQ(qr.width(), 0u);
  EXPECT_TRUE(qr.modules().empty());
}

TEST(QrWidget, EmptyPayloadIsRefusedByTheEncoder) {
  QrWidget qr("");
  EXPECT_EQ(qr.width(), 0u);
  EXPECT_EQ(qr.error(), "invalid input object");
}

TEST(QrWidget, DrawsDarkModulesOnALightSquareCentredInItsBox) {
  QrWidget qr("hello");
  LaidOut l;
  l.lay_out(qr, 300, 200);
  Scene scene = l.draw(qr, std::nullopt);
  ASSERT_EQ(scene.size(), 2u);
  // 29 modules (21 and a quiet zone of 4 each side) in 200: 6 points each, 174 in all, centred.
  const auto& light = std::get<draw::Fill>(scene.commands()[0]);
  EXPECT_EQ(std::get<RoundedRect>(light.shape).rect, (Rect{63, 13, 237, 187}));
  EXPECT_EQ(light.color, Color::rgb(0xffffff));
  const auto& dark = std::get<draw::Fill>(scene.commands()[1]);
  EXPECT_EQ(dark.color, Color::rgb(0x000000));
  const auto& first = std::get<Path::MoveTo>(std::get<Path>(dark.shape).elements.front());
  EXPECT_EQ(first.p, (Point{63 + 24, 13 + 24}));
  // The payload itself is never exposed to assistive technology.
  auto node = qr.accessibility();
  EXPECT_EQ(node->label, "QR code");
  EXPECT_EQ(node->value, std::nullopt);
}

}  // namespace
}  // namespace orvo_ui
