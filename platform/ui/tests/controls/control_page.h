#pragma once
// A page with one of every control, each bound to its own cell, in the order Tab visits them.
#include <memory>
#include <string>

#include "orvo_ui/widgets/button.h"
#include "orvo_ui/widgets/column.h"
#include "orvo_ui/widgets/dropdown.h"
#include "orvo_ui/widgets/row.h"
#include "orvo_ui/widgets/shortcut_recorder.h"
#include "orvo_ui/widgets/slider.h"
#include "orvo_ui/widgets/text.h"
#include "orvo_ui/widgets/text_input.h"
#include "orvo_ui/widgets/toggle.h"
#include "sample_resource.h"

namespace orvo_ui::testing {

struct ControlPage {
  PublishedCell<std::string> name{std::string("Ada")};
  PublishedCell<bool> tap{false};
  PublishedCell<bool> natural{false};
  PublishedCell<bool> locked{true};
  PublishedCell<double> repeat{0.25};
  PublishedCell<std::string> profile{std::string("Adaptive")};
  PublishedCell<std::string> chord{std::string("Super+Space")};
  int resets = 0;

  TextInput* field = nullptr;
  Toggle* tap_toggle = nullptr;
  Toggle* natural_toggle = nullptr;
  Toggle* locked_toggle = nullptr;
  Slider* slider = nullptr;
  Dropdown* dropdown = nullptr;
  ShortcutRecorder* recorder = nullptr;
  Button* button = nullptr;
  Button* disabled_button = nullptr;

  template <class W>
  W* add(Column& column, const char* label, W widget) {
    auto owned = std::make_unique<W>(std::move(widget));
    W* raw = owned.get();
    auto row = std::make_unique<Row>(Row().with_gap(16));
    row->push(std::make_unique<Text>(Text(label).with_size(13)));
    row->push(std::move(owned));
    column.push(std::move(row));
    return raw;
  }

  std::unique_ptr<Widget> build() {
    const auto resource = sample_resource();
    auto column = std::make_unique<Column>(Column().with_gap(14).with_padding(24, 24));
    field = add(*column, "Display name",
                TextInput::from_state(name).with_id("form.name").with_label("Display name").with_placeholder("Name"));
    tap_toggle = add(*column, "Tap to click",
                     Toggle::from_state(tap).with_id("input.tap_click").on_action(
                         orvo_actions::ActionBinding<bool>::for_action(resource, "tap-to-click").value()));
    natural_toggle = add(*column, "Natural scrolling", Toggle::from_state(natural).with_id("input.natural"));
    locked_toggle = add(*column, "Locked (disabled)", Toggle::from_state(locked).with_id("input.locked").enabled(false));
    slider = add(*column, "Key repeat",
                 Slider::from_state(repeat).with_id("input.key_repeat").on_action(
                     orvo_actions::ActionBinding<double>::for_action(resource, "key-repeat").value()));
    dropdown = add(*column, "Acceleration",
                   Dropdown::from_state(profile, {"Adaptive", "Flat"}).with_id("input.accel_profile").on_action(
                       orvo_actions::ActionBinding<std::string>::for_action(resource, "acceleration-profile").value()));
    recorder = add(*column, "Launcher", ShortcutRecorder::from_state("shortcuts.launcher", chord));
    button = add(*column, "Reset",
                 Button("input.reset", "Reset to defaults")
                     .on_press([this] { ++resets; })
                     .on_action(orvo_actions::ActionBinding<orvo_actions::Unit>::unit_for(resource, "reset").value()));
    disabled_button = add(*column, "Unavailable", Button("input.never", "Cannot press").enabled(false));
    return column;
  }
};

}  // namespace orvo_ui::testing
