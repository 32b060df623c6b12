#pragma once
// The layout tree: a small flexbox engine. Widgets create nodes in `build_layout` (leaves may carry a
// measure function, usually the widget's own `measure`), the loop computes the tree for the window
// size, and widgets read their computed boxes back in `apply_layout`.
//
// Supported: row and column direction, one gap along the main axis, padding, sizes in points or
// percent of the parent's inner size, min and max sizes, flex-grow and flex-shrink, align-items /
// align-self, justify-content, and scroll containers (children keep their content size along the
// main axis and may overflow; the content size is reported for scrolling).
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "orvo_ui/geometry.h"

namespace orvo_ui {

class TextRenderer;

using NodeId = std::uint32_t;

struct Dimension {
  enum class Kind : std::uint8_t { Auto, Points, Percent };
  Kind kind = Kind::Auto;
  float value = 0;

  static constexpr Dimension automatic() { return {}; }
  static constexpr Dimension points(float v) { return {Kind::Points, v}; }
  // A fraction of the parent's inner size: percent(1.0) is 100 %.
  static constexpr Dimension percent(float fraction) { return {Kind::Percent, fraction}; }
  constexpr bool is_auto() const { return kind == Kind::Auto; }
  friend bool operator==(const Dimension&, const Dimension&) = default;
};

struct Edges {
  float left = 0;
  float top = 0;
  float right = 0;
  float bottom = 0;
  static constexpr Edges all(float v) { return {v, v, v, v}; }
  static constexpr Edges symmetric(float horizontal, float vertical) { return {horizontal, vertical, horizontal, vertical}; }
  friend bool operator==(const Edges&, const Edges&) = default;
};

enum class FlexDirection : std::uint8_t { Row, Column };
enum class Align : std::uint8_t { Stretch, Start, Center, End };
enum class Justify : std::uint8_t { Start, Center, End, SpaceBetween };

struct Style {
  FlexDirection direction = FlexDirection::Row;
  Dimension width;
  Dimension height;
  Dimension min_width;
  Dimension min_height;
  Dimension max_width;
  Dimension max_height;
  Edges padding;
  float gap = 0;
  float flex_grow = 0;
  float flex_shrink = 1;
  Align align_items = Align::Stretch;
  std::optional<Align> align_self;
  Justify justify_content = Justify::Start;
  bool scroll = false;
  friend bool operator==(const Style&, const Style&) = default;
};

struct AvailableSpace {
  enum class Kind : std::uint8_t { Definite, MinContent, MaxContent };
  Kind kind = Kind::MaxContent;
  float amount = 0;

  static constexpr AvailableSpace definite(float v) { return {Kind::Definite, v}; }
  static constexpr AvailableSpace min_content() { return {Kind::MinContent, 0}; }
  static constexpr AvailableSpace max_content() { return {Kind::MaxContent, 0}; }
  constexpr bool is_definite() const { return kind == Kind::Definite; }
  friend bool operator==(const AvailableSpace&, const AvailableSpace&) = default;
};

struct AvailableSize {
  AvailableSpace width;
  AvailableSpace height;
  friend bool operator==(const AvailableSize&, const AvailableSize&) = default;
};

struct KnownSize {
  std::optional<float> width;
  std::optional<float> height;
  friend bool operator==(const KnownSize&, const KnownSize&) = default;
};

// A computed box: location relative to the parent's box, its size, and the size of its content
// (larger than the size when a scroll container's children overflow).
struct Layout {
  float x = 0;
  float y = 0;
  Size size;
  Size content_size;
};

// A leaf's content size. Content sizes follow from widths: while sizing, the available height is
// max-content unless the height is known, so a measure function works from the width.
using MeasureFn = std::function<Size(KnownSize known, AvailableSize available, TextRenderer& text)>;

class LayoutTree {
 public:
  LayoutTree();
  ~LayoutTree();
  LayoutTree(const LayoutTree&) = delete;
  LayoutTree& operator=(const LayoutTree&) = delete;

  // Node creation answers none only when the tree is full.
  std::optional<NodeId> new_leaf(const Style& style, MeasureFn measure = {});
  std::optional<NodeId> new_with_children(const Style& style, std::span<const NodeId> children);

  // Forgets every node (the loop rebuilds the tree when the widget structure changes).
  void clear();
  std::size_t node_count() const;

  std::optional<std::vector<NodeId>> children(NodeId node) const;
  const Style* style(NodeId node) const;
  std::optional<Layout> layout(NodeId node) const;

  // Lays the subtree of `root` out in the given space. Node boxes are relative to their parent; the
  // root is placed at (0, 0) and, where its style leaves a size automatic, fills the space.
  void compute(NodeId root, Size available, TextRenderer& text);

 private:
  struct Node;
  struct CacheEntry;
  Size measure_node(NodeId id, KnownSize known, AvailableSize available, KnownSize parent, bool perform);
  Size layout_flex(NodeId id, KnownSize known, AvailableSize available, KnownSize parent, bool perform);

  std::vector<Node> nodes_;
  TextRenderer* text_ = nullptr;
};

}  // namespace orvo_ui
