#pragma once
// The widget contract.
//
// Ownership: a widget owns its children (usually as std::unique_ptr<Widget>); `children` and
// `children_mut` lend them out for the length of one call and nothing keeps those pointers. The root
// is owned by the loop.
//
// Threading: every operation runs on the interface thread. Workers talk to widgets only through
// shared cells and channels, and wake the loop with a WakeHandle.
//
// Provided bodies: most operations have a body here that makes a tree answer as one widget. Queries
// fold over the children (`needs_redraw` and `is_layout_dirty` answer true for a widget without
// children), notifications reach every child, searches answer the first child's answer, and a
// widget's own rectangle stands for its subtree in damage. A type overrides what it supplies itself;
// the provided bodies call the type's own `children`, `for_each_child`, `get_rect`, `draw`,
// `perform_action`, `accessibility`, `tooltip_text`, `operation_kinds`, `needs_redraw`,
// `is_layout_dirty` and `invoke_resource_operation`, so overriding one of those changes the others'
// answers.
//
// Properties change only through the widget's own operations; a change that alters the tree's shape
// is reported through `take_structure_dirty`, one that needs painting through `needs_redraw`.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <variant>
#include <vector>

#include "orvo_actions/address.h"
#include "orvo_actions/resource.h"
#include "orvo_doc/obj_id.h"
#include "orvo_ui/accessibility.h"
#include "orvo_ui/event.h"
#include "orvo_ui/geometry.h"
#include "orvo_ui/layout.h"
#include "orvo_ui/operations.h"
#include "orvo_ui/scene.h"
#include "orvo_ui/text.h"
#include "orvo_ui/theme.h"

namespace orvo_doc {
class Document;
}

namespace orvo_ui {

class Widget;
class SearchProvider;

using NodeMap = std::unordered_map<NodeId, Widget*>;

struct SyncContext {
  orvo_doc::Document* document = nullptr;
};

struct LayoutContext {
  float scale_factor = 1.0f;
  float text_size = 14.0f;
  TextRenderer* text = nullptr;
  // The window's size in logical points; shells choose their arrangement from it.
  Size viewport{};
};

// Drawing passes along where the frame is painted: an optional clip rectangle in logical points.
struct PresenceContext {
  std::optional<Rect> clip;
};

struct InteractionEnvironment {
  // Bit 0: the pointer left the window or was grabbed elsewhere; pointer state is to be cleared.
  std::uint32_t flags = 0;
  static constexpr std::uint32_t kPointerReset = 1;
};

// What a pane shows in its page header.
struct PaneDescriptor {
  std::string id;
  std::string title;
  std::string subtitle;
  friend bool operator==(const PaneDescriptor&, const PaneDescriptor&) = default;
};

// One control that can run an action: its name and where the action lives. The target is either a
// (resource, action) pair or a single text (an operation kind, or an encoded address).
struct SingleTextTarget {
  std::string text;
  friend bool operator==(const SingleTextTarget&, const SingleTextTarget&) = default;
};
struct ControlActionBinding {
  std::string name;
  std::variant<std::pair<std::string, std::string>, SingleTextTarget> target;
  friend bool operator==(const ControlActionBinding&, const ControlActionBinding&) = default;
};

// The bindings an accessibility record stands for: its activation address, named by its label.
std::vector<ControlActionBinding> semantic_action_bindings(const std::optional<AccessibilityNode>& node);

// Which actions are available right now; controls grey themselves out from it.
class ActionAvailability {
 public:
  virtual ~ActionAvailability() = default;
  virtual bool is_available(const ControlActionBinding& binding) const = 0;
};

// A text field's editing state as assistive technology reads it.
struct TextReview {
  std::size_t caret_byte = 0;
  std::optional<std::string> text;
};

struct GatheredRecord {
  std::string key;
  std::string value;
  friend bool operator==(const GatheredRecord&, const GatheredRecord&) = default;
};

// Looks for the widget with a given id; `count` and `done` let a caller stop a walk early.
struct FindQuery {
  std::string id;
  std::uint32_t count = 0;
  bool done = false;
};
struct FindResult {
  std::string id;
  Rect rect;
};

using CursorKind = std::uint8_t;
namespace cursor {
inline constexpr CursorKind kPointer = 3;
inline constexpr CursorKind kText = 8;
}  // namespace cursor

class Widget {
 public:
  virtual ~Widget() = default;

  // --- identity ---
  virtual std::string_view type_name() const = 0;
  virtual std::string_view name() const = 0;
  virtual std::optional<std::string> widget_id() const { return std::nullopt; }
  // A JSON snapshot of the widget's live state against a settings document and one of its objects.
  virtual std::optional<std::string> state_json(const orvo_doc::Document& /*document*/, orvo_doc::ObjId /*object*/) {
    return std::nullopt;
  }

  // --- notifications passed to every child ---
  virtual void broadcast_pair_a(std::uintptr_t first, std::uintptr_t second);
  virtual void broadcast_pair_b(std::uintptr_t first, std::uintptr_t second);
  virtual void broadcast_pair_c(std::uintptr_t first, std::uintptr_t second);
  virtual void broadcast_flag_a(std::uint8_t flag);
  virtual void broadcast_flag_b(std::uint8_t flag);
  virtual void set_interaction_environment(const InteractionEnvironment& environment);
  virtual void refresh_control_action_availability(const ActionAvailability& availability);
  virtual void on_commit();
  virtual void mark_drawn();
  virtual void release_scene_cache();
  virtual void draw_overlay(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
                            const PresenceContext& presence);

  // --- collections ---
  virtual std::vector<GatheredRecord> gather_with_argument(std::uint32_t argument) const;
  virtual std::vector<std::string> gather_texts();
  virtual std::vector<GatheredRecord> gather_records_a();
  virtual std::vector<GatheredRecord> gather_records_b();
  virtual std::vector<GatheredRecord> gather_records_c();
  virtual std::vector<ControlActionBinding> control_action_bindings() const;
  virtual bool has_action_control_bindings() const;
  virtual std::unordered_set<std::string> resource_operation_handlers() const;

  // --- folds ---
  virtual bool query_any_child() const;
  virtual bool query_children_flag(std::uint8_t flag);
  virtual bool offer_to_children(std::uint8_t flag, std::uintptr_t first, std::uintptr_t second);
  virtual bool take_subtree_flag() const;
  virtual bool needs_commit() const;
  virtual bool needs_animation_frame() const;
  virtual bool needs_redraw() const;
  virtual bool is_layout_dirty() const;
  virtual bool layout_needs_measure() const;
  virtual bool needs_idle_sync() const { return false; }
  virtual bool wants_pointer_capture() const { return false; }
  virtual bool take_structure_dirty() { return false; }

  // --- first answer of the children ---
  virtual std::optional<FindResult> find_in_subtree(FindQuery& query);
  virtual std::optional<std::pair<std::string, std::string>> find_text_pair();
  virtual std::optional<PaneDescriptor> pane_descriptor();
  virtual std::optional<orvo_actions::ControlInvocation> take_control_invocation();
  virtual std::optional<Rect> find_child_rect() const;
  virtual bool reveal_descendant(const Widget* target);
  virtual std::optional<std::string> descendant_query() { return std::nullopt; }

  // --- the frame ---
  virtual void sync(SyncContext& context) = 0;
  virtual bool update() { return false; }
  virtual NodeId build_layout(LayoutTree& tree, LayoutContext& context, NodeMap& nodes) = 0;
  virtual Size measure(KnownSize known, AvailableSize available, TextRenderer& text);
  virtual bool adjust_layout_style(Style& /*style*/) { return false; }
  virtual bool adjust_layout_with_measure(Style& /*style*/, Size /*measured*/) { return false; }
  virtual void apply_layout(const LayoutTree& tree, NodeId node, double x, double y) = 0;
  virtual void draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
                    const PresenceContext& presence) = 0;
  virtual void draw_with_presence(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
                                  const PresenceContext& presence);
  virtual void handle_event(const Event& event, EventContext& context) = 0;
  virtual std::optional<Deadline> next_wake_deadline() const;
  virtual void collect_damage(std::vector<Rect>& damage) const;

  // --- children ---
  virtual std::vector<const Widget*> children() const { return {}; }
  virtual std::vector<Widget*> children_mut() { return {}; }
  void for_each_child(const std::function<void(const Widget&)>& visitor) const;

  // --- geometry, pointer, focus ---
  virtual Rect get_rect() const = 0;
  virtual std::optional<Rect> child_clip_rect() const { return std::nullopt; }
  virtual std::optional<CursorKind> cursor_at(Point /*point*/) const { return std::nullopt; }
  virtual std::optional<std::string> tooltip_text() const { return std::nullopt; }
  virtual std::optional<std::pair<Rect, std::string>> tooltip_at(Point point) const;
  virtual bool is_focusable() const { return false; }
  virtual void set_focus(bool /*focused*/) {}
  virtual bool has_focus() const { return false; }
  virtual std::optional<Rect> ime_cursor_rect() const { return std::nullopt; }
  virtual bool is_enabled() const { return true; }
  virtual std::optional<std::uint8_t> input_kind() const { return std::nullopt; }

  // --- accessibility and actions ---
  virtual std::optional<AccessibilityNode> accessibility() const { return std::nullopt; }
  virtual bool perform_action(const AccessibilityAction& /*action*/) { return false; }
  virtual bool perform_action_with_target(const AccessibilityAction& action, std::string_view value);
  virtual bool perform_key_action(std::string_view identifier, const AccessibilityAction& action);
  virtual std::optional<std::string> get_state() const { return std::nullopt; }
  virtual void set_state(std::string_view /*state*/) {}
  virtual std::optional<TextReview> text_review() const { return std::nullopt; }
  virtual std::optional<Theme> theme_override() const { return std::nullopt; }
  virtual std::optional<std::uint64_t> presence_key() const { return std::nullopt; }
  virtual std::optional<std::string> permission_scope() const { return std::nullopt; }

  // --- resources and search ---
  virtual std::vector<std::string> operation_kinds() const { return {}; }
  virtual std::vector<orvo_actions::Resource> resources() { return {}; }
  virtual std::optional<orvo_actions::Resource> resource(std::string_view /*id*/) { return std::nullopt; }
  virtual std::vector<std::shared_ptr<SearchProvider>> search_providers() { return {}; }

  // --- resource operations: invoke -> invoke_v2 -> start -> start_with_document ---
  virtual InvokeAnswer invoke_resource_operation(OperationClass cls, std::string_view kind, std::string_view payload,
                                                 orvo_doc::Document* document);
  virtual InvokeV2Answer invoke_resource_operation_v2(OperationClass cls, std::string_view kind,
                                                      std::string_view payload, orvo_doc::Document* document);
  virtual StartAnswer start_resource_operation(const RequestId& id, OperationClass cls, std::string_view kind,
                                               std::string_view payload, orvo_doc::Document* document);
  virtual StartAnswer start_resource_operation_with_document(const RequestId& id, OperationClass cls,
                                                             std::string_view kind, std::string_view payload,
                                                             orvo_doc::Document* document);
  virtual std::optional<OperationCompletion> poll_operation_results(const RequestId& id, bool cancel);
};

// Whether the text is a key-action identifier: "orvo.key-action:", a name, ":", then an index path
// of unsigned 64-bit decimal integers separated by "/". The split is at the last ":".
bool is_key_action_identifier(std::string_view identifier);

}  // namespace orvo_ui
