#pragma once
// The widget shape every pane shares. A pane builds its view afresh at each `build_layout` and
// wraps it in a layout node of its own that the view fills; the frame operations go to the view
// when there is one. Each pass (`sync`) runs on the pane's working document: the pane's own, or
// the frame's when the pane keeps none. The pass first moves what the user changed in the pane's
// document-bound controls into the document, then runs the pane's own pass, then shows what the
// document now holds in those controls, all in the same frame.
//
// Interface thread only.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "orvo_doc/document.h"
#include "orvo_ui/widget.h"
#include "panes/document_controls.h"

namespace settings::panes {

// How `take_structure_dirty` combines the pane's own flag with the view's.
enum class DirtyRule {
  // Always ask the view too, so its flag is cleared in the same call.
  AlwaysAskView,
  // Answer at once when the pane's own flag was set; ask the view only when it was clear.
  OwnFlagFirst,
};

class PaneGlue : public orvo_ui::Widget {
 public:
  std::string_view name() const override { return short_name_; }

  void sync(orvo_ui::SyncContext& context) override;
  orvo_ui::NodeId build_layout(orvo_ui::LayoutTree& tree, orvo_ui::LayoutContext& context,
                               orvo_ui::NodeMap& nodes) override;
  void apply_layout(const orvo_ui::LayoutTree& tree, orvo_ui::NodeId node, double x, double y) override;
  void draw(orvo_ui::Scene& scene, orvo_ui::Affine transform, orvo_ui::TextRenderer& text,
            const orvo_ui::Theme& theme, const orvo_ui::PresenceContext& presence) override;
  void handle_event(const orvo_ui::Event& event, orvo_ui::EventContext& context) override;
  std::vector<const orvo_ui::Widget*> children() const override;
  std::vector<orvo_ui::Widget*> children_mut() override;
  bool take_structure_dirty() override;
  orvo_ui::Rect get_rect() const override { return rect_; }

  // The pane's own document, when it keeps one.
  const orvo_doc::Document* own_document() const { return document_ ? &*document_ : nullptr; }
  orvo_doc::Document* own_document() { return document_ ? &*document_ : nullptr; }
  const DocumentControls& controls() const { return controls_; }

 protected:
  // A pane with a document of its own (the usual case).
  PaneGlue(std::string_view short_name, DirtyRule rule);
  PaneGlue(PaneGlue&&) = default;

  // The view, built anew for every layout; the previous one is dropped.
  virtual std::unique_ptr<orvo_ui::Widget> build_view() = 0;
  // The pane's own pass over its working document (none when the pane keeps no document and the
  // frame gave none). Runs between moving user changes in and showing document values out.
  virtual void sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext& context) = 0;

  // From now on the pane works on the frame's document instead of keeping its own.
  void use_frame_document() { document_.reset(); }
  void mark_structure_dirty() { structure_dirty_ = true; }
  // Whether an event was handled by the view since the last call (a control changed, a button was
  // pressed); reading it clears it.
  bool take_commit_pending() { return std::exchange(commit_pending_, false); }
  orvo_ui::Widget* view() { return view_.get(); }
  const orvo_ui::Widget* view() const { return view_.get(); }

  // The map of the working document the controls are bound in.
  orvo_doc::ObjId object_ = orvo_doc::kRoot;
  DocumentControls controls_;

 private:
  std::string short_name_;
  DirtyRule rule_;
  std::optional<orvo_doc::Document> document_{std::in_place};
  // The frame's document as the last pass was given it (the frame loop's, which outlives the pane).
  orvo_doc::Document* frame_document_ = nullptr;
  std::unique_ptr<orvo_ui::Widget> view_;
  orvo_ui::NodeId view_node_ = 0;
  bool has_view_node_ = false;
  bool structure_dirty_ = false;
  bool commit_pending_ = false;
  orvo_ui::Rect rect_;
};

}  // namespace settings::panes
