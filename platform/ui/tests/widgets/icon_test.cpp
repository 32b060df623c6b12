#include <gtest/gtest.h>

#include "orvo_ui/icon.h"
#include "orvo_ui/scene.h"

namespace orvo_ui {
namespace {

TEST(Icon, EverySectionIconAndTheApplicationIconHaveANameAndDrawInsideTheirBox) {
  for (std::uint8_t value : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 56, 66, 67, 70, 71, 73, 76, 85, 89}) {
    Icon icon(value);
    EXPECT_TRUE(icon.name().has_value()) << int(value);
    Scene scene;
    icon.draw(scene, {100, 50, 124, 74}, Color::rgb(0xffffff));
    ASSERT_GT(scene.size(), 0u) << int(value);
    // Shapes are drawn in the 24-unit grid, mapped onto the box.
    for (const auto& command : scene.commands()) {
      const Affine* t = nullptr;
      if (auto* s = std::get_if<draw::Stroke>(&command)) t = &s->transform;
      if (auto* f = std::get_if<draw::Fill>(&command)) t = &f->transform;
      ASSERT_NE(t, nullptr);
      EXPECT_EQ(t->apply({0, 0}), (Point{100, 50}));
      EXPECT_EQ(t->apply({24, 24}), (Point{124, 74}));
    }
  }
}

TEST(Icon, KeepsSquareAndDrawsAFallbackForUnknownBytes) {
  Scene scene;
  Icon(200).draw(scene, {0, 0, 48, 24}, Color::rgb(0xffffff));
  EXPECT_FALSE(Icon(200).name().has_value());
  ASSERT_EQ(scene.size(), 1u);
  const auto& stroke = std::get<draw::Stroke>(scene.commands()[0]);
  EXPECT_EQ(stroke.transform.apply({0, 0}), (Point{12, 0}));
  Scene empty;
  Icon::Wifi.draw(empty, {0, 0, 0, 10}, Color{});
  EXPECT_EQ(empty.size(), 0u);
}

}  // namespace
}  // namespace orvo_ui
