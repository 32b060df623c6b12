#include "orvo_ui/layout.h"

#include <algorithm>
#include <limits>

namespace orvo_ui {
namespace {

constexpr std::size_t kMaxNodes = std::numeric_limits<NodeId>::max() - 1;
constexpr std::size_t kCacheEntries = 4;

std::optional<float> resolve(Dimension d, std::optional<float> parent) {
  switch (d.kind) {
    case Dimension::Kind::Points: return d.value;
    case Dimension::Kind::Percent:
      if (parent) return d.value * *parent;
      return std::nullopt;
    case Dimension::Kind::Auto: return std::nullopt;
  }
  return std::nullopt;
}

float clamp_dim(float v, Dimension min, Dimension max, std::optional<float> parent) {
  if (auto hi = resolve(max, parent)) v = std::min(v, *hi);
  if (auto lo = resolve(min, parent)) v = std::max(v, *lo);
  return std::max(v, 0.0f);
}

std::optional<float> clamp_opt(std::optional<float> v, Dimension min, Dimension max, std::optional<float> parent) {
  if (!v) return v;
  return clamp_dim(*v, min, max, parent);
}

AvailableSpace shrink_by(AvailableSpace a, float amount) {
  if (!a.is_definite()) return a;
  return AvailableSpace::definite(std::max(a.amount - amount, 0.0f));
}

// Accessors that let one flex routine serve both directions.
struct Axis {
  bool row;
  float main(Size s) const { return row ? s.width : s.height; }
  float cross(Size s) const { return row ? s.height : s.width; }
  Size make(float main, float cross) const { return row ? Size{main, cross} : Size{cross, main}; }
  std::optional<float> main(const KnownSize& k) const { return row ? k.width : k.height; }
  std::optional<float> cross(const KnownSize& k) const { return row ? k.height : k.width; }
  KnownSize known(std::optional<float> main, std::optional<float> cross) const {
    return row ? KnownSize{main, cross} : KnownSize{cross, main};
  }
  AvailableSpace main(const AvailableSize& a) const { return row ? a.width : a.height; }
  AvailableSpace cross(const AvailableSize& a) const { return row ? a.height : a.width; }
  AvailableSize available(AvailableSpace main, AvailableSpace cross) const {
    return row ? AvailableSize{main, cross} : AvailableSize{cross, main};
  }
  Dimension main_dim(const Style& s) const { return row ? s.width : s.height; }
  Dimension cross_dim(const Style& s) const { return row ? s.height : s.width; }
  Dimension main_min(const Style& s) const { return row ? s.min_width : s.min_height; }
  Dimension main_max(const Style& s) const { return row ? s.max_width : s.max_height; }
  Dimension cross_min(const Style& s) const { return row ? s.min_height : s.min_width; }
  Dimension cross_max(const Style& s) const { return row ? s.max_height : s.max_width; }
  float pad_main(const Edges& e) const { return row ? e.left + e.right : e.top + e.bottom; }
  float pad_cross(const Edges& e) const { return row ? e.top + e.bottom : e.left + e.right; }
  float pad_main_start(const Edges& e) const { return row ? e.left : e.top; }
  float pad_cross_start(const Edges& e) const { return row ? e.top : e.left; }
};

}  // namespace

struct LayoutTree::CacheEntry {
  KnownSize known;
  AvailableSize available;
  KnownSize parent;
  Size result;
};

struct LayoutTree::Node {
  Style style;
  MeasureFn measure;
  std::vector<NodeId> children;
  Layout layout;
  bool has_layout = false;
  std::vector<CacheEntry> cache;
};

LayoutTree::LayoutTree() = default;
LayoutTree::~LayoutTree() = default;

std::optional<NodeId> LayoutTree::new_leaf(const Style& style, MeasureFn measure) {
  if (nodes_.size() >= kMaxNodes) return std::nullopt;
  nodes_.push_back(Node{style, std::move(measure), {}, {}, false, {}});
  return static_cast<NodeId>(nodes_.size() - 1);
}

std::optional<NodeId> LayoutTree::new_with_children(const Style& style, std::span<const NodeId> children) {
  if (nodes_.size() >= kMaxNodes) return std::nullopt;
  for (NodeId c : children) {
    if (c >= nodes_.size()) return std::nullopt;
  }
  nodes_.push_back(Node{style, {}, std::vector<NodeId>(children.begin(), children.end()), {}, false, {}});
  return static_cast<NodeId>(nodes_.size() - 1);
}

void LayoutTree::clear() { nodes_.clear(); }

std::size_t LayoutTree::node_count() const { return nodes_.size(); }

std::optional<std::vector<NodeId>> LayoutTree::children(NodeId node) const {
  if (node >= nodes_.size()) return std::nullopt;
  return nodes_[node].children;
}

const Style* LayoutTree::style(NodeId node) const {
  if (node >= nodes_.size()) return nullptr;
  return &nodes_[node].style;
}

std::optional<Layout> LayoutTree::layout(NodeId node) const {
  if (node >= nodes_.size() || !nodes_[node].has_layout) return std::nullopt;
  return nodes_[node].layout;
}

void LayoutTree::compute(NodeId root, Size available, TextRenderer& text) {
  if (root >= nodes_.size()) return;
  text_ = &text;
  for (auto& n : nodes_) {
    n.cache.clear();
    n.has_layout = false;
  }
  const KnownSize window{available.width, available.height};
  const Style& s = nodes_[root].style;
  // The root fills the window unless its style sizes it.
  KnownSize known{resolve(s.width, window.width).value_or(available.width),
                  resolve(s.height, window.height).value_or(available.height)};
  AvailableSize space{AvailableSpace::definite(available.width), AvailableSpace::definite(available.height)};
  measure_node(root, known, space, window, true);
  nodes_[root].layout.x = 0;
  nodes_[root].layout.y = 0;
  text_ = nullptr;
}

Size LayoutTree::measure_node(NodeId id, KnownSize known, AvailableSize available, KnownSize parent, bool perform) {
  Node& n = nodes_[id];
  const Style& s = n.style;
  if (!known.width) known.width = resolve(s.width, parent.width);
  if (!known.height) known.height = resolve(s.height, parent.height);
  known.width = clamp_opt(known.width, s.min_width, s.max_width, parent.width);
  known.height = clamp_opt(known.height, s.min_height, s.max_height, parent.height);

  // A box whose size is already fixed needs no look inside when only its size is asked for.
  if (!perform && known.width && known.height) return {*known.width, *known.height};
  // Sizes follow from widths: nothing but a measure function could read the height on offer, and
  // those size their content from the width. Asking every size question with an open height lets
  // the questions of all the levels above share one answer.
  if (!perform && !known.height) available.height = AvailableSpace::max_content();

  if (!perform) {
    for (const auto& e : n.cache) {
      if (e.known == known && e.available == available && e.parent == parent) return e.result;
    }
  }

  Size result;
  if (n.children.empty()) {
    Size content{s.padding.left + s.padding.right, s.padding.top + s.padding.bottom};
    if (n.measure && (!known.width || !known.height) && text_) {
      content = n.measure(known, available, *text_);
    }
    result.width = clamp_dim(known.width.value_or(content.width), s.min_width, s.max_width, parent.width);
    result.height = clamp_dim(known.height.value_or(content.height), s.min_height, s.max_height, parent.height);
    if (perform) {
      // Only reachable from a parent that already fixed this box: keep the given size.
      Node& node = nodes_[id];
      node.layout.size = result;
      node.layout.content_size = result;
      node.has_layout = true;
    }
  } else {
    result = layout_flex(id, known, available, parent, perform);
  }

  if (!perform) {
    Node& node = nodes_[id];
    if (node.cache.size() >= kCacheEntries) node.cache.erase(node.cache.begin());
    node.cache.push_back({known, available, parent, result});
  }
  return result;
}

Size LayoutTree::layout_flex(NodeId id, KnownSize known, AvailableSize available, KnownSize parent, bool perform) {
  // Copies: measuring children may grow nothing, but keep the node's data stable regardless.
  // No node is added while computing, so these references stay valid through the recursion.
  const Style& s = nodes_[id].style;
  const std::vector<NodeId>& children = nodes_[id].children;
  const Axis ax{s.direction == FlexDirection::Row};

  const float pad_main = ax.pad_main(s.padding);
  const float pad_cross = ax.pad_cross(s.padding);
  std::optional<float> inner_main;
  std::optional<float> inner_cross;
  if (auto m = ax.main(known)) inner_main = std::max(*m - pad_main, 0.0f);
  if (auto c = ax.cross(known)) inner_cross = std::max(*c - pad_cross, 0.0f);

  AvailableSpace child_main_space = inner_main ? AvailableSpace::definite(*inner_main) : shrink_by(ax.main(available), pad_main);
  if (s.scroll) child_main_space = AvailableSpace::max_content();
  const AvailableSpace child_cross_space =
      inner_cross ? AvailableSpace::definite(*inner_cross) : shrink_by(ax.cross(available), pad_cross);
  const KnownSize inner_known = ax.known(inner_main, inner_cross);

  const std::size_t count = children.size();
  std::vector<float> main_size(count);
  std::vector<float> cross_size(count);
  std::vector<bool> stretched(count, false);

  auto align_of = [&](const Style& cs) { return cs.align_self.value_or(s.align_items); };

  // Flex base sizes.
  float total = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const Style& cs = nodes_[children[i]].style;
    std::optional<float> cross_known = resolve(ax.cross_dim(cs), inner_cross);
    if (!cross_known && align_of(cs) == Align::Stretch && inner_cross) {
      cross_known = clamp_dim(*inner_cross, ax.cross_min(cs), ax.cross_max(cs), inner_cross);
    }
    float base;
    if (auto m = resolve(ax.main_dim(cs), inner_main)) {
      base = *m;
    } else {
      Size measured = measure_node(children[i], ax.known(std::nullopt, cross_known),
                                   ax.available(child_main_space, child_cross_space), inner_known, false);
      base = ax.main(measured);
    }
    main_size[i] = clamp_dim(base, ax.main_min(cs), ax.main_max(cs), inner_main);
    total += main_size[i];
  }
  const float gaps = count > 1 ? s.gap * static_cast<float>(count - 1) : 0.0f;
  total += gaps;

  // Grow or shrink along the main axis.
  if (inner_main && !s.scroll) {
    float free = *inner_main - total;
    if (free > 0) {
      float grow_sum = 0;
      for (NodeId c : children) grow_sum += nodes_[c].style.flex_grow;
      if (grow_sum > 0) {
        for (std::size_t i = 0; i < count; ++i) {
          const Style& cs = nodes_[children[i]].style;
          main_size[i] = clamp_dim(main_size[i] + free * cs.flex_grow / grow_sum, ax.main_min(cs), ax.main_max(cs), inner_main);
        }
      }
    } else if (free < 0) {
      float weight_sum = 0;
      for (std::size_t i = 0; i < count; ++i) weight_sum += nodes_[children[i]].style.flex_shrink * main_size[i];
      if (weight_sum > 0) {
        for (std::size_t i = 0; i < count; ++i) {
          const Style& cs = nodes_[children[i]].style;
          float cut = -free * cs.flex_shrink * main_size[i] / weight_sum;
          main_size[i] = clamp_dim(main_size[i] - cut, ax.main_min(cs), ax.main_max(cs), inner_main);
        }
      }
    }
  }
  float used_main = gaps;
  for (float m : main_size) used_main += m;

  // Cross sizes.
  float max_cross = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const Style& cs = nodes_[children[i]].style;
    if (auto c = resolve(ax.cross_dim(cs), inner_cross)) {
      cross_size[i] = clamp_dim(*c, ax.cross_min(cs), ax.cross_max(cs), inner_cross);
    } else if (align_of(cs) == Align::Stretch && inner_cross) {
      cross_size[i] = clamp_dim(*inner_cross, ax.cross_min(cs), ax.cross_max(cs), inner_cross);
      stretched[i] = true;
    } else {
      Size measured = measure_node(children[i], ax.known(main_size[i], std::nullopt),
                                   ax.available(AvailableSpace::definite(main_size[i]), child_cross_space), inner_known, false);
      cross_size[i] = ax.cross(measured);
      stretched[i] = align_of(cs) == Align::Stretch;
    }
    max_cross = std::max(max_cross, cross_size[i]);
  }

  const float own_main = ax.main(known).value_or(used_main + pad_main);
  const float own_cross = ax.cross(known).value_or(max_cross + pad_cross);
  Size own = ax.make(own_main, own_cross);
  own.width = clamp_dim(own.width, s.min_width, s.max_width, parent.width);
  own.height = clamp_dim(own.height, s.min_height, s.max_height, parent.height);

  if (!perform) return own;

  const float final_inner_main = std::max(ax.main(own) - pad_main, 0.0f);
  const float final_inner_cross = std::max(ax.cross(own) - pad_cross, 0.0f);
  // Content-sized containers stretch their children to the cross size they ended up with.
  for (std::size_t i = 0; i < count; ++i) {
    if (stretched[i] && !inner_cross) {
      const Style& cs = nodes_[children[i]].style;
      cross_size[i] = clamp_dim(final_inner_cross, ax.cross_min(cs), ax.cross_max(cs), final_inner_cross);
    }
  }

  float offset = ax.pad_main_start(s.padding);
  float between = s.gap;
  const float remaining = s.scroll ? 0.0f : std::max(final_inner_main - used_main, 0.0f);
  switch (s.justify_content) {
    case Justify::Start: break;
    case Justify::Center: offset += remaining / 2; break;
    case Justify::End: offset += remaining; break;
    case Justify::SpaceBetween:
      if (count > 1) between += remaining / static_cast<float>(count - 1);
      break;
  }

  const KnownSize final_inner = ax.known(final_inner_main, final_inner_cross);
  float max_child_cross_end = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const Style& cs = nodes_[children[i]].style;
    float cross_offset = ax.pad_cross_start(s.padding);
    switch (align_of(cs)) {
      case Align::Stretch:
      case Align::Start: break;
      case Align::Center: cross_offset += (final_inner_cross - cross_size[i]) / 2; break;
      case Align::End: cross_offset += final_inner_cross - cross_size[i]; break;
    }
    const Size child_size = ax.make(main_size[i], cross_size[i]);
    measure_node(children[i], KnownSize{child_size.width, child_size.height},
                 AvailableSize{AvailableSpace::definite(child_size.width), AvailableSpace::definite(child_size.height)},
                 final_inner, true);
    Layout& cl = nodes_[children[i]].layout;
    cl.size = child_size;
    cl.x = ax.row ? offset : cross_offset;
    cl.y = ax.row ? cross_offset : offset;
    offset += main_size[i] + between;
    max_child_cross_end = std::max(max_child_cross_end, cross_offset + cross_size[i]);
  }

  Node& node = nodes_[id];
  node.layout.size = own;
  const float content_main = std::max(ax.main(own), used_main + pad_main);
  const float content_cross = std::max(ax.cross(own), max_child_cross_end + ax.pad_cross_start(s.padding));
  node.layout.content_size = ax.make(content_main, content_cross);
  node.has_layout = true;
  return own;
}

}  // namespace orvo_ui
