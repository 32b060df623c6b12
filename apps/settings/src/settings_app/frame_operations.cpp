// The root's frame operations: sync, layout, drawing, events and the structure flag.
#include <cstring>
#include <utility>

#include "orvo_ui/layout_rect.h"
#include "settings_app/search_field.h"
#include "settings_app/settings_app.h"
#include "sidebar/sidebar_keys.h"
#include "sidebar/sidebar_view.h"

namespace settings::settings_app {

using namespace orvo_ui;

namespace {

// The 17 operation kinds the root declares, in the order it answers them.
constexpr std::array<std::string_view, 17> kDeclaredOperationKinds{
    "settings.open-pane",
    "settings.account-operation",
    "settings.update-operation",
    "settings.keyboard-source-operation",
    "settings.input-operation",
    "settings.time-date-operation",
    "settings.power-operation",
    "settings.network-operation",
    "settings.bluetooth-operation",
    "settings.storage-operation",
    "settings.audio-operation",
    "settings.display-operation",
    "settings.printer-operation",
    "settings.user-operation",
    "settings.agent-model-operation",
    "settings.device-mesh-operation",
    "settings.agent-provider-operation",
};

bool same_bits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

AppShell SettingsApp::make_shell() const {
  return AppShell(sidebar::sidebar_view(section_, search_query_, selection_), build_section_pane())
      .with_search(make_search_field(search_text_))
      .with_breakpoint(kShellBreakpoint)
      .with_nav_width(kShellNavWidth)
      .with_narrow_screen(true);
}

void SettingsApp::sync(SyncContext& context) {
  if (context.document) settings_document_ = context.document;
  if (std::optional<SettingsSection> requested = selection_.snapshot()) {
    (void)selection_.publish(std::nullopt);
    select_section(*requested);
  }
  std::string text = search_text_.snapshot();
  if (text != search_query_) {
    search_query_ = std::move(text);
    structure_dirty_ = true;
    auto nav = sidebar::sidebar_view(section_, search_query_, selection_);
    if (shell_) shell_->set_nav(std::move(nav));
  }
  if (shell_) shell_->sync(context);
  fail_operation_left_in_cell();
}

NodeId SettingsApp::build_layout(LayoutTree& tree, LayoutContext& context, NodeMap& nodes) {
  if (!shell_ || !same_bits(scale_, context.scale_factor)) {
    scale_ = context.scale_factor;
    shell_.reset();
    shell_.emplace(make_shell());
  }
  const NodeId shell_node = shell_->build_layout(tree, context, nodes);
  Style style;
  style.width = Dimension::percent(1.0f);
  style.height = Dimension::percent(1.0f);
  const NodeId only[] = {shell_node};
  const NodeId node = tree.new_with_children(style, only).value_or(shell_node);
  nodes[node] = this;
  return node;
}

void SettingsApp::apply_layout(const LayoutTree& tree, NodeId node, double x, double y) {
  rect_ = orvo_ui::laid_out_rect(tree, node, x, y);
  auto kids = tree.children(node);
  if (kids && !kids->empty() && shell_) shell_->apply_layout(tree, kids->front(), rect_.x0, rect_.y0);
  if (shell_ && shell_->nav() && std::exchange(reveal_selected_row_, false)) {
    for (const sidebar::SidebarRow* row : sidebar::rows_of(*shell_->nav())) {
      if (row->selected()) shell_->reveal_descendant(row);
    }
  }
}

void SettingsApp::draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
                       const PresenceContext& presence) {
  if (shell_) shell_->draw(scene, transform, text, theme, presence);
}

void SettingsApp::draw_with_presence(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
                                     const PresenceContext& presence) {
  if (shell_) shell_->draw_with_presence(scene, transform, text, theme, presence);
}

void SettingsApp::handle_event(const Event& event, EventContext& context) {
  if (!shell_ || !context.tree) return;
  auto kids = context.tree->children(context.node);
  if (!kids || kids->empty()) return;
  if (const auto* key = std::get_if<event::Key>(&event); key && handle_shell_key(*key, context)) return;
  const bool showed_content = shell_->is_narrow() && shell_->showing_content();
  const NodeId own = context.node;
  context.node = kids->front();
  shell_->handle_event(event, context);
  context.node = own;
  // Back from a page to the list in a narrow window: focus goes to the row of the page just left.
  if (showed_content && !shell_->showing_content()) context.focus_request_id = std::string(section_.title());
}

std::vector<const Widget*> SettingsApp::children() const {
  if (!shell_) return {};
  return {&*shell_};
}

std::vector<Widget*> SettingsApp::children_mut() {
  if (!shell_) return {};
  return {&*shell_};
}

std::vector<std::string> SettingsApp::operation_kinds() const {
  return {kDeclaredOperationKinds.begin(), kDeclaredOperationKinds.end()};
}

std::optional<AccessibilityNode> SettingsApp::accessibility() const {
  return AccessibilityNode{}.with_label("Settings").with_id("settings.app");
}

bool SettingsApp::needs_idle_sync() const { return shell_ && shell_->needs_idle_sync(); }
bool SettingsApp::update() { return shell_ && shell_->update(); }
bool SettingsApp::needs_animation_frame() const { return shell_ && shell_->needs_animation_frame(); }
bool SettingsApp::layout_needs_measure() const { return shell_ && shell_->layout_needs_measure(); }

bool SettingsApp::take_structure_dirty() {
  const bool own = std::exchange(structure_dirty_, false);
  const bool shell_changed = shell_ && shell_->take_structure_dirty();
  if (shell_changed && section_ == SettingsSection::ExternalAccounts) reload_accounts();
  return own || shell_changed;
}

}  // namespace settings::settings_app
