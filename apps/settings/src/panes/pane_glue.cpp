#include "panes/pane_glue.h"

#include <utility>

#include "orvo_ui/layout_rect.h"

namespace settings::panes {

using namespace orvo_ui;

PaneGlue::PaneGlue(std::string_view short_name, DirtyRule rule) : short_name_(short_name), rule_(rule) {}

void PaneGlue::sync(SyncContext& context) {
  frame_document_ = context.document;
  orvo_doc::Document* document = document_ ? &*document_ : context.document;
  if (document) controls_.pull_into(*document, object_);
  sync_pane(document, context);
  if (document) controls_.push_from(*document, object_);
  if (view_) view_->sync(context);
}

NodeId PaneGlue::build_layout(LayoutTree& tree, LayoutContext& context, NodeMap& nodes) {
  view_ = build_view();
  // Controls the view binds for the first time show the document's values in the frame they are
  // built in, not only after the next pass (a page opened from outside may get no further frame).
  if (orvo_doc::Document* document = document_ ? &*document_ : frame_document_) controls_.push_from(*document, object_);
  has_view_node_ = false;
  Style style;
  style.direction = FlexDirection::Column;
  style.flex_grow = 1;
  style.width = Dimension::percent(1.0f);
  if (!view_) {
    const NodeId node = tree.new_with_children(style, {}).value_or(0);
    nodes[node] = this;
    return node;
  }
  view_node_ = view_->build_layout(tree, context, nodes);
  has_view_node_ = true;
  const NodeId only[] = {view_node_};
  const NodeId node = tree.new_with_children(style, only).value_or(view_node_);
  nodes[node] = this;
  return node;
}

void PaneGlue::apply_layout(const LayoutTree& tree, NodeId node, double x, double y) {
  rect_ = orvo_ui::laid_out_rect(tree, node, x, y);
  if (!view_) return;
  auto kids = tree.children(node);
  if (kids && !kids->empty()) view_->apply_layout(tree, kids->front(), rect_.x0, rect_.y0);
}

void PaneGlue::draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
                    const PresenceContext& presence) {
  if (view_) view_->draw_with_presence(scene, transform, text, theme, presence);
}

void PaneGlue::handle_event(const Event& event, EventContext& context) {
  if (!view_ || !context.tree) return;
  auto kids = context.tree->children(context.node);
  if (!kids || kids->empty()) return;
  const NodeId own = context.node;
  context.node = kids->front();
  const bool handled_before = context.handled;
  view_->handle_event(event, context);
  if (!handled_before && context.handled) commit_pending_ = true;
  context.node = own;
}

std::vector<const Widget*> PaneGlue::children() const {
  if (!view_) return {};
  return {view_.get()};
}

std::vector<Widget*> PaneGlue::children_mut() {
  if (!view_) return {};
  return {view_.get()};
}

bool PaneGlue::take_structure_dirty() {
  const bool own = std::exchange(structure_dirty_, false);
  if (own && rule_ == DirtyRule::OwnFlagFirst) return true;
  const bool view_changed = view_ && view_->take_structure_dirty();
  return own || view_changed;
}

}  // namespace settings::panes
