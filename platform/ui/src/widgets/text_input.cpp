#include "orvo_ui/widgets/text_input.h"

#include <algorithm>
#include <cmath>

#include "widgets/control_support.h"
#include "widgets/node_support.h"
#include "widgets/text_editing.h"

namespace orvo_ui {
namespace {
constexpr double kPaddingX = 10;
constexpr double kPaddingY = 7;
constexpr double kRadius = 6;
constexpr std::string_view kBullet = "\u2022";
constexpr double kCaretWidth = 1.5;

// The number of code-point boundaries before `offset` (the index of the boundary at it).
std::size_t boundary_index(std::string_view text, std::size_t offset) {
  std::size_t k = 0;
  for (std::size_t i = 0; i < std::min(offset, text.size()); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++k;
  }
  return k;
}

// The byte offset of boundary `k` of the text (its end when there are fewer).
std::size_t boundary_offset(std::string_view text, std::size_t k) {
  std::size_t offset = 0;
  for (; k > 0 && offset < text.size(); --k) offset = control_support::next_boundary(text, offset);
  return offset;
}

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
TextInput TextInput::with_max_bytes(std::size_t max_bytes) && {
  max_bytes_ = max_bytes;
  return std::move(*this);
}
TextInput TextInput::with_binding(ControlActionBinding binding) && {
  binding_.binding = std::move(binding);
  return std::move(*this);
}

std::string TextInput::shown_text() const {
  if (focused_) return working_;
  if (secret_.buffer) return secret_.buffer->with_text(placeholder_of);
  // The cell may be filled from elsewhere; what the field shows keeps to its own rules.
  std::string text = cell_.snapshot();
  return text_editing::clean(text, std::string::npos);
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
  const std::string text = cell_.snapshot();
  working_ = text_editing::clean(text, std::string::npos);
  caret_ = anchor_ = working_.size();
  seen_version_ = version;
  caret_reset_ = false;
  if (pending_click_x_) caret_ = anchor_ = caret_from_x(*pending_click_x_);
  pending_click_x_.reset();
}

void TextInput::replace_text(std::string text, std::size_t caret) {
  working_ = std::move(text);
  caret_ = anchor_ = caret;
  // A refused publication leaves the cell as it was; the field keeps showing what was typed and
  // picks the cell up again once it changes.
  if (auto version = cell_.publish(working_)) seen_version_ = *version;
}

void TextInput::begin_secret_editing() {
  const std::uint64_t generation = secret_.buffer->generation();
  if (!caret_reset_ && generation == secret_.seen_generation) return;
  secret_.working = secret_.buffer->copy();
  working_ = placeholder_of(secret_.working.view());
  caret_ = anchor_ = working_.size();
  secret_.seen_generation = generation;
  caret_reset_ = false;
  if (pending_click_x_) caret_ = anchor_ = caret_from_x(*pending_click_x_);
  pending_click_x_.reset();
}

void TextInput::replace_secret(orvo_secret::SecretString text, std::size_t caret) {
  secret_.working = std::move(text);
  working_ = placeholder_of(secret_.working.view());
  caret_ = anchor_ = std::min(caret, working_.size());
  secret_.seen_generation = secret_.buffer->assign(secret_.working.view());
}

bool TextInput::edit_secret(const Event& event, EventContext& context) {
  // The editing rules run on the placeholder copy (one byte per character of the secret); an edit
  // is then carried out on the secret at the same characters.
  const std::string_view secret = secret_.working.view();
  const text_editing::Rules rules{max_bytes_, true};
  const text_editing::Selection selection{anchor_, caret_};
  const std::size_t start = secret_offset(secret, selection.start());
  const std::size_t end = secret_offset(secret, selection.end());
  orvo_secret::SecretString text;
  if (auto* input = std::get_if<event::TextInput>(&event)) {
    const std::size_t kept = secret.size() - (end - start);
    std::string insert = text_editing::clean(input->text, max_bytes_ > kept ? max_bytes_ - kept : 0);
    if (insert.empty()) return true;
    text.append(secret.substr(0, start));
    text.append(insert);
    text.append(secret.substr(end));
    const std::size_t caret = selection.start() + placeholder_of(insert).size();
    std::fill(insert.begin(), insert.end(), '\0');
    replace_secret(std::move(text), caret);
    context.request_redraw();
    return true;
  }
  const auto* key = std::get_if<event::Key>(&event);
  if (!key) return false;
  text_editing::KeyOutcome outcome = text_editing::press(working_, selection, *key, rules);
  if (auto* moved = std::get_if<text_editing::Selection>(&outcome)) {
    anchor_ = moved->anchor;
    caret_ = moved->caret;
  } else if (auto* edit = std::get_if<text_editing::Edit>(&outcome)) {
    text.append(secret.substr(0, secret_offset(secret, edit->start)));
    text.append(secret.substr(secret_offset(secret, edit->end)));
    replace_secret(std::move(text), edit->after.caret);
  } else {
    return true;
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

void TextInput::refresh_positions(TextRenderer& text, const std::string& display, float size) {
  if (!positions_.empty() && size == positions_size_ && display == positions_display_) return;
  positions_ = text.caret_positions(display, size);
  positions_display_ = display;
  positions_size_ = size;
}

double TextInput::x_of(std::string_view value, std::size_t offset) const {
  if (positions_.empty()) return 0;
  return positions_[std::min(boundary_index(value, offset), positions_.size() - 1)];
}

void TextInput::draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme, const PresenceContext&) {
  const bool enabled = !disabled_ && binding_.available;
  const RoundedRect outline = RoundedRect::from_rect(rect_, kRadius);
  scene.fill(outline, theme.background, transform);
  scene.stroke(edge_outline(rect_, kRadius), focused_ ? theme.accent : theme.surface_border, transform);
  if (focused_) control_support::draw_focus_ring(scene, transform, rect_, theme, kRadius);

  const float size = text.renderer_input_style(TextStyle{text_size_});
  const std::string value = shown_text();
  const std::string display = display_of(value);
  refresh_positions(text, display, size);
  const double line_height = text.measure("Mg", false, size, 0).height;
  const double top = rect_.y0 + (rect_.height() - line_height) / 2;
  const double left = rect_.x0 + kPaddingX;
  const double room = std::max(0.0, rect_.width() - 2 * kPaddingX);
  const auto width = static_cast<float>(room);

  // Scroll just enough to keep the caret in view, and no further than the text's end needs.
  const double caret_x = x_of(value, caret_);
  if (!focused_) {
    scroll_x_ = 0;
  } else {
    if (caret_x + kCaretWidth - scroll_x_ > room) scroll_x_ = caret_x + kCaretWidth - room;
    if (caret_x < scroll_x_) scroll_x_ = caret_x;
    scroll_x_ = std::clamp(scroll_x_, 0.0, std::max(0.0, positions_.back() + kCaretWidth - room));
  }
  const double origin = left - scroll_x_;

  scene.push_clip(rect_.inset(kPaddingX / 2, 1), transform);
  if (value.empty()) {
    if (!placeholder_.empty()) {
      text.draw_text(scene, placeholder_, false, size, width, theme.secondary_text,
                     transform * Affine::translate(left, top));
    }
  } else {
    if (focused_ && caret_ != anchor_) {
      const double a = origin + x_of(value, std::min(caret_, anchor_));
      const double b = origin + x_of(value, std::max(caret_, anchor_));
      scene.fill(RoundedRect::from_rect(Rect{a, top, b, top + line_height}, 0), theme.accent.with_alpha(90), transform);
    }
    Color color = enabled ? theme.text : control_support::dimmed(theme.text);
    text.draw_text(scene, display, false, size, 0, color, transform * Affine::translate(origin, top));
  }
  if (focused_) {
    const double x = origin + caret_x;
    scene.fill(RoundedRect::from_rect(Rect{x, top, x + kCaretWidth, top + line_height}, 0), theme.text, transform);
  }
  scene.pop_clip();
}

std::size_t TextInput::caret_from_x(double x) const {
  if (positions_.empty()) return working_.size();
  const double local = x - rect_.x0 - kPaddingX + scroll_x_;
  std::size_t best = 0;
  for (std::size_t k = 1; k < positions_.size(); ++k) {
    if (std::abs(positions_[k] - local) < std::abs(positions_[best] - local)) best = k;
  }
  return boundary_offset(working_, best);
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
      caret_ = anchor_ = caret_from_x(position->x);
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
  const text_editing::Rules rules{max_bytes_, is_secret()};
  const text_editing::Selection selection{anchor_, caret_};
  text_editing::KeyOutcome outcome;
  if (auto* input = std::get_if<event::TextInput>(&event)) {
    if (auto edit = text_editing::type(working_, selection, input->text, rules)) outcome = std::move(*edit);
  } else if (const auto* key = std::get_if<event::Key>(&event)) {
    outcome = text_editing::press(working_, selection, *key, rules);
  }
  if (auto* moved = std::get_if<text_editing::Selection>(&outcome)) {
    anchor_ = moved->anchor;
    caret_ = moved->caret;
  } else if (auto* edit = std::get_if<text_editing::Edit>(&outcome)) {
    std::string text = working_;
    text.replace(edit->start, edit->end - edit->start, edit->insert);
    replace_text(std::move(text), edit->after.caret);
  } else {
    return;
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
    caret_ = anchor_ = 0;
    scroll_x_ = 0;
    pending_click_x_.reset();
  }
}

std::optional<Rect> TextInput::ime_cursor_rect() const {
  if (!focused_) return std::nullopt;
  const double x = rect_.x0 + kPaddingX - scroll_x_ + x_of(working_, caret_);
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
    // A value the field could not hold (past its cap) is refused whole rather than cut.
    std::string value = text_editing::clean(set->value, std::string::npos);
    if (value.size() > max_bytes_) return false;
    const bool accepted = cell_.publish(value).has_value();
    if (accepted && focused_) {
      working_ = std::move(value);
      caret_ = anchor_ = working_.size();
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
