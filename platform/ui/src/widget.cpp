#include "orvo_ui/widget.h"

#include <charconv>

namespace orvo_ui {

std::vector<ControlActionBinding> semantic_action_bindings(const std::optional<AccessibilityNode>& node) {
  if (!node || !node->activation_address) return {};
  auto address = orvo_actions::ActionAddress::decode(*node->activation_address);
  if (!address) return {{node->label.value_or(""), SingleTextTarget{*node->activation_address}}};
  return {{node->label.value_or(""), std::pair{address->resource, address->action}}};
}

bool is_key_action_identifier(std::string_view identifier) {
  constexpr std::string_view kPrefix = "orvo.key-action:";
  if (!identifier.starts_with(kPrefix)) return false;
  std::string_view rest = identifier.substr(kPrefix.size());
  auto colon = rest.rfind(':');
  if (colon == std::string_view::npos) return false;
  std::string_view path = rest.substr(colon + 1);
  while (true) {
    auto slash = path.find('/');
    std::string_view segment = path.substr(0, slash);
    std::uint64_t index = 0;
    auto [end, ec] = std::from_chars(segment.data(), segment.data() + segment.size(), index);
    if (segment.empty() || ec != std::errc{} || end != segment.data() + segment.size()) return false;
    if (slash == std::string_view::npos) return true;
    path = path.substr(slash + 1);
  }
}

// --- notifications ---

void Widget::broadcast_pair_a(std::uintptr_t first, std::uintptr_t second) {
  for (Widget* c : children_mut()) c->broadcast_pair_a(first, second);
}
void Widget::broadcast_pair_b(std::uintptr_t first, std::uintptr_t second) {
  for (Widget* c : children_mut()) c->broadcast_pair_b(first, second);
}
void Widget::broadcast_pair_c(std::uintptr_t first, std::uintptr_t second) {
  for (Widget* c : children_mut()) c->broadcast_pair_c(first, second);
}
void Widget::broadcast_flag_a(std::uint8_t flag) {
  for (Widget* c : children_mut()) c->broadcast_flag_a(flag);
}
void Widget::broadcast_flag_b(std::uint8_t flag) {
  for (Widget* c : children_mut()) c->broadcast_flag_b(flag);
}
void Widget::set_interaction_environment(const InteractionEnvironment& environment) {
  for (Widget* c : children_mut()) c->set_interaction_environment(environment);
}
void Widget::refresh_control_action_availability(const ActionAvailability& availability) {
  for (Widget* c : children_mut()) c->refresh_control_action_availability(availability);
}
void Widget::on_commit() {
  for (Widget* c : children_mut()) c->on_commit();
}
void Widget::mark_drawn() {
  for (Widget* c : children_mut()) c->mark_drawn();
}
void Widget::release_scene_cache() {
  for (Widget* c : children_mut()) c->release_scene_cache();
}
void Widget::draw_overlay(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
                          const PresenceContext& presence) {
  for (Widget* c : children_mut()) c->draw_overlay(scene, transform, text, theme, presence);
}

// --- collections ---

namespace {
template <typename T>
void append(std::vector<T>& into, std::vector<T>&& more) {
  into.insert(into.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
}
}  // namespace

std::vector<GatheredRecord> Widget::gather_with_argument(std::uint32_t argument) const {
  std::vector<GatheredRecord> out;
  for (const Widget* c : children()) append(out, c->gather_with_argument(argument));
  return out;
}
std::vector<std::string> Widget::gather_texts() {
  std::vector<std::string> out;
  for (Widget* c : children_mut()) append(out, c->gather_texts());
  return out;
}
std::vector<GatheredRecord> Widget::gather_records_a() {
  std::vector<GatheredRecord> out;
  for (Widget* c : children_mut()) append(out, c->gather_records_a());
  return out;
}
std::vector<GatheredRecord> Widget::gather_records_b() {
  std::vector<GatheredRecord> out;
  for (Widget* c : children_mut()) append(out, c->gather_records_b());
  return out;
}
std::vector<GatheredRecord> Widget::gather_records_c() {
  std::vector<GatheredRecord> out;
  for (Widget* c : children_mut()) append(out, c->gather_records_c());
  return out;
}

std::vector<ControlActionBinding> Widget::control_action_bindings() const {
  std::vector<ControlActionBinding> out = semantic_action_bindings(accessibility());
  for_each_child([&](const Widget& c) { append(out, c.control_action_bindings()); });
  return out;
}

bool Widget::has_action_control_bindings() const {
  for (const auto& b : control_action_bindings()) {
    if (std::holds_alternative<std::pair<std::string, std::string>>(b.target)) return true;
  }
  return false;
}

std::unordered_set<std::string> Widget::resource_operation_handlers() const {
  std::unordered_set<std::string> out;
  for (auto& kind : operation_kinds()) out.insert(std::move(kind));
  for_each_child([&](const Widget& c) { out.merge(c.resource_operation_handlers()); });
  return out;
}

// --- folds ---

bool Widget::query_any_child() const {
  for (const Widget* c : children()) {
    if (c->query_any_child()) return true;
  }
  return false;
}
bool Widget::query_children_flag(std::uint8_t flag) {
  for (Widget* c : children_mut()) {
    if (c->query_children_flag(flag)) return true;
  }
  return false;
}
bool Widget::offer_to_children(std::uint8_t flag, std::uintptr_t first, std::uintptr_t second) {
  for (Widget* c : children_mut()) {
    if (c->offer_to_children(flag, first, second)) return true;
  }
  return false;
}

bool Widget::take_subtree_flag() const {
  bool any = false;
  for_each_child([&](const Widget& c) { any = c.take_subtree_flag() || any; });
  return any;
}

namespace {
// OR over the children through for_each_child, asking no further child after the first true.
template <typename Ask>
bool any_child(const Widget& w, Ask ask) {
  bool found = false;
  w.for_each_child([&](const Widget& c) {
    if (!found) found = ask(c);
  });
  return found;
}
}  // namespace

bool Widget::needs_commit() const {
  return any_child(*this, [](const Widget& c) { return c.needs_commit(); });
}
bool Widget::needs_animation_frame() const {
  return any_child(*this, [](const Widget& c) { return c.needs_animation_frame(); });
}
bool Widget::needs_redraw() const {
  if (children().empty()) return true;
  return any_child(*this, [](const Widget& c) { return c.needs_redraw(); });
}
bool Widget::is_layout_dirty() const {
  if (children().empty()) return true;
  return any_child(*this, [](const Widget& c) { return c.is_layout_dirty(); });
}
bool Widget::layout_needs_measure() const {
  if (children().empty()) return is_layout_dirty();
  return any_child(*this, [](const Widget& c) { return c.layout_needs_measure(); });
}

// --- first answers ---

std::optional<FindResult> Widget::find_in_subtree(FindQuery& query) {
  for (Widget* c : children_mut()) {
    if (query.count != 0 && query.done) return std::nullopt;
    if (auto found = c->find_in_subtree(query)) return found;
  }
  return std::nullopt;
}
std::optional<std::pair<std::string, std::string>> Widget::find_text_pair() {
  for (Widget* c : children_mut()) {
    if (auto found = c->find_text_pair()) return found;
  }
  return std::nullopt;
}
std::optional<PaneDescriptor> Widget::pane_descriptor() {
  for (Widget* c : children_mut()) {
    if (auto found = c->pane_descriptor()) return found;
  }
  return std::nullopt;
}
std::optional<orvo_actions::ControlInvocation> Widget::take_control_invocation() {
  for (Widget* c : children_mut()) {
    if (auto found = c->take_control_invocation()) return found;
  }
  return std::nullopt;
}
std::optional<Rect> Widget::find_child_rect() const {
  std::optional<Rect> found;
  for_each_child([&](const Widget& c) {
    if (!found) found = c.find_child_rect();
  });
  return found;
}
bool Widget::reveal_descendant(const Widget* target) {
  for (Widget* c : children_mut()) {
    if (c == target) return true;
    if (c->reveal_descendant(target)) return true;
  }
  return false;
}

// --- frame ---

Size Widget::measure(KnownSize, AvailableSize, TextRenderer&) { return {0, 0}; }

void Widget::draw_with_presence(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
                                const PresenceContext& presence) {
  if (presence.clip && get_rect().intersect(*presence.clip).area() == 0) return;
  draw(scene, transform, text, theme, presence);
}

std::optional<Deadline> Widget::next_wake_deadline() const {
  std::optional<Deadline> earliest;
  for_each_child([&](const Widget& c) {
    auto d = c.next_wake_deadline();
    if (d && (!earliest || *d < *earliest)) earliest = d;
  });
  return earliest;
}

void Widget::collect_damage(std::vector<Rect>& damage) const {
  if (needs_redraw()) damage.push_back(get_rect());
}

void Widget::for_each_child(const std::function<void(const Widget&)>& visitor) const {
  for (const Widget* c : children()) visitor(*c);
}

std::optional<std::pair<Rect, std::string>> Widget::tooltip_at(Point point) const {
  Rect rect = get_rect();
  if (!rect.contains(point)) return std::nullopt;
  auto text = tooltip_text();
  if (!text || text->empty()) return std::nullopt;
  return std::pair{rect, std::move(*text)};
}

// --- actions ---

bool Widget::perform_action_with_target(const AccessibilityAction& action, std::string_view) {
  return perform_action(action);
}

bool Widget::perform_key_action(std::string_view identifier, const AccessibilityAction& action) {
  return is_key_action_identifier(identifier) && perform_action(action);
}

// --- resource operations ---

InvokeAnswer Widget::invoke_resource_operation(OperationClass cls, std::string_view kind, std::string_view payload,
                                               orvo_doc::Document* document) {
  if (cls == OperationClass::Setting) return Handled{false};
  for (Widget* c : children_mut()) {
    InvokeAnswer answer = c->invoke_resource_operation(cls, kind, payload, document);
    if (std::holds_alternative<InvokeError>(answer) || std::get<Handled>(answer).handled) return answer;
  }
  return Handled{false};
}

InvokeV2Answer Widget::invoke_resource_operation_v2(OperationClass cls, std::string_view kind,
                                                    std::string_view payload, orvo_doc::Document* document) {
  InvokeAnswer answer = invoke_resource_operation(cls, kind, payload, document);
  if (auto* error = std::get_if<InvokeError>(&answer)) return InvokeV2Answer{std::in_place, *error};
  if (std::get<Handled>(answer).handled) return InvokeV2Answer{std::in_place, OperationOutcome{}};
  return std::nullopt;
}

StartAnswer Widget::start_resource_operation(const RequestId& id, OperationClass cls, std::string_view kind,
                                             std::string_view payload, orvo_doc::Document* document) {
  for (Widget* c : children_mut()) {
    StartAnswer answer = c->start_resource_operation_with_document(id, cls, kind, payload, document);
    if (!std::holds_alternative<start::NotHandled>(answer)) return answer;
  }
  InvokeV2Answer own = invoke_resource_operation_v2(cls, kind, payload, document);
  if (!own) return start::NotHandled{};
  if (auto* error = std::get_if<InvokeError>(&*own)) return start::Rejected{error->message};
  return start::Completed{std::get<OperationOutcome>(*own)};
}

StartAnswer Widget::start_resource_operation_with_document(const RequestId& id, OperationClass cls,
                                                           std::string_view kind, std::string_view payload,
                                                           orvo_doc::Document* document) {
  return start_resource_operation(id, cls, kind, payload, document);
}

std::optional<OperationCompletion> Widget::poll_operation_results(const RequestId& id, bool cancel) {
  for (Widget* c : children_mut()) {
    if (auto found = c->poll_operation_results(id, cancel)) return found;
  }
  return std::nullopt;
}

}  // namespace orvo_ui
