#include "orvo_ui/widgets/text_input.h"

#include <algorithm>
#include <cmath>

#include "widgets/control_support.h"
#include "widgets/node_support.h"

namespace orvo_ui {
namespace {
constexpr double kPaddingX = 10;
constexpr double kPaddingY = 7;
constexpr double kRadius = 6;
constexpr std::string_view kBullet = "\u2022";
// What the secret form keeps in its plain working copy for each character of the secret.
constexpr char kSecretPlaceholder = '*';

// One placeholder byte per code point of the secret.
std::string placeholder_of(std::string_view secret) {
  std::string placeholder;
  for (std::size_t i = 0; i < secret.size(); i = control_support::next_boundary(secret, i)) {
    placeholder += kSecretPlaceholder;
  }
  return placeholder;
}

// The byte offset in the secret of the code point at `index`.
std::size_t secret_offset(std::string_view secret, std::size_t index) {
  std::size_t offset = 0;
  for (std::size_t i = 0; i < index && offset < secret.size(); ++i) {
    offset = control_support::next_boundary(secret, offset);
  }
  return offset;
}
}  // namespace

TextInput TextInput::from_state(PublishedCell<std::string> cell) {
  TextInput input(std::move(cell));
  input.seen_version_ = input.cell_.version();
  return input;
}

TextInput TextInput::from_secret(std::shared_ptr<orvo_secret::SecretBuffer> buffer) {
  TextInput input(PublishedCell<std::string>{});
  input.kind_ = text_input_kind::kPassword;
  input.secret_.seen_generation = buffer->generation();
  input.secret_.buffer = std::move(buffer);
  return input;
}

TextInput TextInput::with_kind(std::uint8_t kind) && {
  kind_ = kind;
  return std::move(*this);
}
TextInput TextInput::with_id(std::string_view id) && {
  id_ = std::string(id);
  return std::move(*this);
}
TextInput TextInput::with_placeholder(std::string_view placeholder) && {
  placeholder_ = std::string(placeholder);
  return std::move(*this);
}
TextInput TextInput::with_label(std::string_view label) && {
  label_ = std::string(label);
  return std::move(*this);
}
TextInput TextInput::size(float text_size) && {
  text_size_ = text_size;
  remeasure_ = true;
  return std::move(*this);
}
TextInput TextInput::disabled(bool disabled) && {
  disabled_ = disabled;
  return std::move(*this);
}
TextInput TextInput::with_binding(ControlActionBinding binding) && {
  binding_.binding = std::move(binding);
  return std::move(*this);
}

std::string TextInput::shown_text() const {
  if (focused_) return working_;
  if (secret_.buffer) return secret_.buffer->with_text(placeholder_of);
  return cell_.snapshot();
}

std::string TextInput::display_of(std::string_view text) const {
  if (!is_secret()) return std::string(text);
  std::string bullets;
  for (std::size_t i = 0; i < text.size(); i = control_support::next_boundary(text, i)) bullets += kBullet;
  return bullets;
}

void TextInput::set_interaction_environment(const InteractionEnvironment& environment) {
  environment_ = environment;
  if (environment.flags & InteractionEnvironment::kPointerReset) pointer_down_ = false;
}

void TextInput::refresh_control_action_availability(const ActionAvailability& availability) {
  if (binding_.binding) binding_.available = availability.is_available(*binding_.binding);
}

std::vector<ControlActionBinding> TextInput::control_action_bindings() const {
  if (binding_.binding) return {*binding_.binding};
  return semantic_action_bindings(accessibility());
}

void TextInput::begin_editing() {
  if (!focused_) return;
  if (secret_.buffer) return begin_secret_editing();
  const std::uint64_t version = cell_.version();
  if (!caret_reset_ && version == seen_version_) return;
  working_ = cell_.snapshot();
  caret_ = working_.size();
  seen_version_ = version;
  caret_reset_ = false;
  if (pending_click_x_) caret_ = caret_from_x(*pending_click_x_);
  pending_click_x_.reset();
}

void TextInput::replace_text(std::string text, std::size_t caret) {
  working_ = std::move(text);
  caret_ = caret;
  // A refused publication leaves the cell as it was; the field keeps showing what was typed and
  // picks the cell up again once it changes.
  if (auto version = cell_.publish(working_)) seen_version_ = *version;
}

void TextInput::begin_secret_editing() {
  const std::uint64_t generation = secret_.buffer->generation();
  if (!caret_reset_ && generation == secret_.seen_generation) return;
  secret_.working = secret_.buffer->copy();
  working_ = placeholder_of(secret_.working.view());
  caret_ = working_.size();
  secret_.seen_generation = generation;
  caret_reset_ = false;
  if (pending_click_x_) caret_ = caret_from_x(*pending_click_x_);
  pending_click_x_.reset();
}

void TextInput::replace_secret(orvo_secret::SecretString text, std::size_t caret) {
  secret_.working = std::move(text);
  working_ = placeholder_of(secret_.working.view());
  caret_ = std::min(caret, working_.size());
  secret_.seen_generation = secret_.buffer->assign(secret_.working.view());
}

bool TextInput::edit_secret(const Event& event, EventContext& context) {
  const std::string_view secret = secret_.working.view();
  const std::size_t at = secret_offset(secret, caret_);
  orvo_secret::SecretString text;
  if (auto* input = std::get_if<event::TextInput>(&event)) {
    if (input->text.empty()) return true;
    text.append(secret.substr(0, at));
    text.append(input->text);
    text.append(secret.substr(at));
    replace_secret(std::move(text), caret_ + placeholder_of(input->text).size());
    context.request_redraw();
    return true;
  }
  const auto* key = std::get_if<event::Key>(&event);
  if (!key || !key->pressed) return false;
  if (key->key == NamedKey::Backspace) {
    if (caret_ == 0) return true;
    const std::size_t start = secret_offset(secret, caret_ - 1);
    text.append(secret.substr(0, start));
    text.append(secret.substr(at));
    replace_secret(std::move(text), caret_ - 1);
  } else if (key->key == NamedKey::Delete) {
    if (at >= secret.size()) return true;
    text.append(secret.substr(0, at));
    text.append(secret.substr(control_support::next_boundary(secret, at)));
    replace_secret(std::move(text), caret_);
  } else {
    return false;
  }
  context.request_redraw();
  return true;
}

void TextInput::sync(SyncContext&) { begin_editing(); }

NodeId TextInput::build_layout(LayoutTree& tree, LayoutContext&, NodeMap& nodes) {
  Style style;
  style.min_width = Dimension::points(kMinWidth);
  style.flex_grow = 1;
  remeasure_ = false;
  return node_support::measured_leaf(tree, style, nodes, *this);
}

Size TextInput::measure(KnownSize known, AvailableSize, TextRenderer& text) {
  const float size = text.renderer_input_style(TextStyle{text_size_});
  const Size line = text.measure("Mg", false, size, 0);
  return {known.width.value_or(static_cast<float>(kMinWidth)),
          known.height.value_or(line.height + static_cast<float>(2 * kPaddingY))};
}

void TextInput::apply_layout(const LayoutTree& tree, NodeId node, double x, double y) {
  rect_ = node_support::laid_out_rect(tree, node, x, y);
  relayout_ = false;
}

bool TextInput::layout_needs_measure() const { return node_support::is_zero(rect_) || relayout_ || remeasure_; }

void TextInput::draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme, const PresenceContext&) {
  const bool enabled = !disabled_ && binding_.available;
  const RoundedRect outline = RoundedRect::from_rect(rect_, kRadius);
  scene.fill(outline, theme.background, transform);
  scene.stroke(edge_outline(rect_, kRadius), focused_ ? theme.accent : theme.surface_border, transform);
  if (focused_) control_support::draw_focus_ring(scene, transform, rect_, theme, kRadius);

  const float size = text.renderer_input_style(TextStyle{text_size_});
  const std::string value = shown_text();
  const double line_height = text.measure("Mg", false, size, 0).height;
  const double top = rect_.y0 + (rect_.height() - line_height) / 2;
  const double left = rect_.x0 + kPaddingX;
  const auto width = static_cast<float>(std::max(0.0, rect_.width() - 2 * kPaddingX));
  scene.push_clip(rect_.inset(kPaddingX / 2, 1), transform);
  if (value.empty()) {
    if (!placeholder_.empty()) {
      text.draw_text(scene, placeholder_, false, size, width, theme.secondary_text,
                     transform * Affine::translate(left, top));
    }
  } else {
    Color color = enabled ? theme.text : control_support::dimmed(theme.text);
    text.draw_text(scene, display_of(value), false, size, 0, color, transform * Affine::translate(left, top));
  }
  // Caret stops for pointer placement: one per code point boundary of what is shown.
  stops_.clear();
  for (std::size_t i = 0;; i = control_support::next_boundary(value, i)) {
    const std::string prefix = display_of(std::string_view(value).substr(0, i));
    stops_.emplace_back(i, prefix.empty() ? 0.0 : text.measure(prefix, false, size, 0).width);
    if (i >= value.size()) break;
  }
  if (focused_) {
    double caret_x = left;
    for (const auto& [offset, x] : stops_) {
      if (offset == caret_) caret_x = left + x;
    }
    scene.fill(RoundedRect::from_rect(Rect{caret_x, top, caret_x + 1.5, top + line_height}, 0), theme.text, transform);
  }
  scene.pop_clip();
}

std::size_t TextInput::caret_from_x(double x) const {
  const double local = x - rect_.x0 - kPaddingX;
  std::size_t best = working_.size();
  double best_distance = INFINITY;
  for (const auto& [offset, stop_x] : stops_) {
    if (offset > working_.size()) continue;
    const double distance = std::abs(stop_x - local);
    if (distance < best_distance) {
      best_distance = distance;
      best = offset;
    }
  }
  return best;
}

void TextInput::handle_event(const Event& event, EventContext& context) {
  if (auto* button = std::get_if<event::PointerButton>(&event)) {
    if (button->button != MouseButton::Primary) return;
    if (!button->pressed) {
      pointer_down_ = false;
      pointer_capture_ = false;
      return;
    }
    auto position = node_support::pointer_position(event, context.scale_factor);
    if (!position || !rect_.contains(*position) || !is_focusable()) return;
    pointer_down_ = true;
    pointer_capture_ = true;
    if (focused_) {
      begin_editing();
      caret_ = caret_from_x(position->x);
    } else {
      pending_click_x_ = position->x;
      context.focus_request = context.node;
    }
    context.request_redraw();
    return;
  }
  if (!focused_ || disabled_) return;
  begin_editing();
  if (secret_.buffer && edit_secret(event, context)) return;
  if (auto* input = std::get_if<event::TextInput>(&event)) {
    if (input->text.empty()) return;
    std::string text = working_;
    text.insert(caret_, input->text);
    replace_text(std::move(text), caret_ + input->text.size());
    context.request_redraw();
    return;
  }
  const auto* key = std::get_if<event::Key>(&event);
  if (!key || !key->pressed) return;
  switch (key->key) {
    case NamedKey::Left: caret_ = control_support::previous_boundary(working_, caret_); break;
    case NamedKey::Right: caret_ = control_support::next_boundary(working_, caret_); break;
    case NamedKey::Home: caret_ = 0; break;
    case NamedKey::End: caret_ = working_.size(); break;
    case NamedKey::Backspace: {
      if (caret_ == 0) return;
      const std::size_t start = control_support::previous_boundary(working_, caret_);
      std::string text = working_;
      text.erase(start, caret_ - start);
      replace_text(std::move(text), start);
      break;
    }
    case NamedKey::Delete: {
      if (caret_ >= working_.size()) return;
      const std::size_t end = control_support::next_boundary(working_, caret_);
      std::string text = working_;
      text.erase(caret_, end - caret_);
      replace_text(std::move(text), caret_);
      break;
    }
    default: return;
  }
  context.request_redraw();
}

std::optional<CursorKind> TextInput::cursor_at(Point point) const {
  if (disabled_ || !binding_.available) return std::nullopt;
  if (!rect_.contains(point)) return std::nullopt;
  return cursor::kText;
}

bool TextInput::is_focusable() const {
  if (disabled_) return false;
  return binding_.available;
}

void TextInput::set_focus(bool focused) {
  focused_ = focused;
  if (focused) {
    caret_reset_ = true;
    begin_editing();
  } else {
    working_.clear();
    secret_.working.clear();
    caret_ = 0;
    pending_click_x_.reset();
  }
}

std::optional<Rect> TextInput::ime_cursor_rect() const {
  if (!focused_) return std::nullopt;
  double x = rect_.x0 + kPaddingX;
  for (const auto& [offset, stop_x] : stops_) {
    if (offset == caret_) x = rect_.x0 + kPaddingX + stop_x;
  }
  return Rect{x, rect_.y0 + 4, x + 1, rect_.y1 - 4};
}

std::optional<AccessibilityNode> TextInput::accessibility() const {
  AccessibilityNode node = AccessibilityNode{}.with_id(*widget_id());
  if (!label_.empty()) node = std::move(node).with_label(label_);
  else if (!placeholder_.empty()) node = std::move(node).with_label(placeholder_);
  if (!placeholder_.empty()) node = std::move(node).with_description(placeholder_);
  if (!is_secret()) node = std::move(node).with_value(shown_text());
  node.focusable = is_focusable();
  node.focused = focused_;
  node.disabled = disabled_;
  return node;
}

bool TextInput::perform_action(const AccessibilityAction& action) {
  if (disabled_) return false;
  if (auto* set = std::get_if<a11y::SetValue>(&action)) {
    if (secret_.buffer) {
      if (focused_) {
        replace_secret(orvo_secret::SecretString(set->value), placeholder_of(set->value).size());
      } else {
        secret_.buffer->assign(set->value);
      }
      return true;
    }
    const bool accepted = cell_.publish(set->value).has_value();
    if (accepted && focused_) {
      working_ = set->value;
      caret_ = working_.size();
      seen_version_ = cell_.version();
    }
    return accepted;
  }
  return false;
}

std::optional<std::string> TextInput::get_state() const {
  if (is_secret()) return std::nullopt;
  return shown_text();
}

void TextInput::set_state(std::string_view state) {
  if (disabled_ || is_secret()) return;
  perform_action(a11y::SetValue{std::string(state)});
}

std::optional<TextReview> TextInput::text_review() const {
  TextReview review;
  review.caret_byte = focused_ ? caret_ : 0;
  if (!is_secret()) review.text = shown_text();
  return review;
}

}  // namespace orvo_ui
