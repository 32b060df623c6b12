#pragma once
// The toolkit's small set of line icons, drawn as vector strokes into a Scene. An icon is one byte of
// the icon set; a byte outside the set draws a plain ring so nothing is ever blank.
#include <cstdint>
#include <optional>
#include <string_view>

#include "orvo_ui/geometry.h"

namespace orvo_ui {

class Scene;

class Icon {
 public:
  constexpr Icon() = default;
  constexpr explicit Icon(std::uint8_t value) : value_(value) {}

  static const Icon AppsAndFiles;
  // The application's own icon: a gear.
  static const Icon Settings;
  static const Icon Keyboard;
  static const Icon Shortcuts;
  static const Icon Users;
  static const Icon Printer;
  static const Icon Globe;
  static const Icon Wifi;
  static const Icon Bluetooth;
  static const Icon Display;
  static const Icon Battery;
  static const Icon Shield;
  static const Icon ChevronLeft;
  static const Icon Storage;
  static const Icon Sparkle;
  static const Icon Accessibility;
  static const Icon Info;
  static const Icon Cloud;
  static const Icon Bell;
  static const Icon Update;
  static const Icon Clock;
  static const Icon Speaker;

  constexpr std::uint8_t value() const { return value_; }
  // The icon's name, or none for a byte outside the set.
  std::optional<std::string_view> name() const;

  // Strokes the icon into `rect` (kept square and centred) in `color`. The stroke width is in units
  // of the icon's 24-unit design grid, so it scales with the rectangle.
  void draw(Scene& scene, Rect rect, Color color, const Affine& transform = Affine::identity(),
            double stroke_width = 1.75) const;

  friend constexpr bool operator==(Icon, Icon) = default;

 private:
  std::uint8_t value_ = 0;
};

inline constexpr Icon Icon::AppsAndFiles{0};
inline constexpr Icon Icon::Settings{1};
inline constexpr Icon Icon::Keyboard{2};
inline constexpr Icon Icon::Shortcuts{3};
inline constexpr Icon Icon::Users{4};
inline constexpr Icon Icon::Printer{5};
inline constexpr Icon Icon::Globe{6};
inline constexpr Icon Icon::Wifi{7};
inline constexpr Icon Icon::Bluetooth{8};
inline constexpr Icon Icon::Display{9};
inline constexpr Icon Icon::Battery{10};
inline constexpr Icon Icon::Shield{11};
inline constexpr Icon Icon::ChevronLeft{12};
inline constexpr Icon Icon::Storage{56};
inline constexpr Icon Icon::Sparkle{66};
inline constexpr Icon Icon::Accessibility{67};
inline constexpr Icon Icon::Info{70};
inline constexpr Icon Icon::Cloud{71};
inline constexpr Icon Icon::Bell{73};
inline constexpr Icon Icon::Update{76};
inline constexpr Icon Icon::Clock{85};
inline constexpr Icon Icon::Speaker{89};

}  // namespace orvo_ui
