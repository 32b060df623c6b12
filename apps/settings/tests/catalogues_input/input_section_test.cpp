#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "catalogue_fixture.h"
#include "catalogues/input_actions.h"
#include "catalogues/input_bindings.h"
#include "catalogues/section_catalogues.h"
#include "orvo_runtime/system_paths.h"
#include "orvo_testing/temp_dir.h"

namespace settings::actions {
namespace {

using orvo_actions::OperationClass;
using orvo_actions::Resource;
using settings::testing::action;
using settings::testing::action_names;
using settings::testing::FakeInputQueries;
using settings::testing::invoke;
using settings::testing::KeyboardLayout;
using settings::testing::queries_with;
using Strings = std::vector<std::string>;

const std::vector<KeyboardLayout> kCatalogue{
    {"us", "English (US)"}, {"de", "German"}, {"fr", "French"}, {"se", "Swedish"}, {"no", "Norwegian"}};

class InputSection : public ::testing::Test {
 protected:
  InputSection() { input_.layouts = kCatalogue; }

  Resource build(const std::vector<std::string>& sources) {
    prefs_.input.keyboard_layouts = sources;
    return input_resource(SectionInputs{document_, prefs_, {}, queries_with(input_)});
  }

  FakeInputQueries input_;
  preferences::Preferences prefs_;
  orvo_doc::Document document_;
};

TEST_F(InputSection, PublishesTheInputActionsInOrderWithTheirKindsAndContracts) {
  const Resource section = build({"us"});
  EXPECT_EQ(section.id, "settings.section:mouse_keyboard");
  EXPECT_EQ(section.title, "Mouse & Keyboard");
  EXPECT_EQ(action_names(section),
            (Strings{"touchpad-natural-scroll", "mouse-natural-scroll", "tap-to-click", "tap-drag",
                     "disable-while-typing", "middle-emulation", "left-handed", "touchpad-gestures",
                     "touchpad-speed", "mouse-speed", "key-repeat", "acceleration-profile", "compose-key",
                     "spell-checking", "auto-correct", "active-source", "add-source"}));

  struct Case {
    const char* name;
    std::optional<std::string> kind;
    OperationClass cls;
    Strings tags;
  };
  const Case cases[] = {
      {"left-handed", "settings.input-operation", OperationClass::Effect, {"device-local", "input"}},
      {"key-repeat", "settings.input-operation", OperationClass::Effect, {"device-local", "input"}},
      {"compose-key", "settings.input-operation", OperationClass::Effect, {"device-local", "input"}},
      {"spell-checking", std::nullopt, OperationClass::Setting, {"configuration", "system-setting"}},
      {"add-source", "settings.keyboard-source-operation", OperationClass::Effect, {"device-local", "input-source"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto& spec = action(section, c.name);
    EXPECT_EQ(spec.operation_kind, c.kind);
    EXPECT_EQ(spec.operation_class, c.cls);
    EXPECT_EQ(spec.contract.tags, c.tags);
  }
  const auto& level = action(section, "touchpad-speed").params.at(0);
  EXPECT_EQ(level.schema, R"({"minimum":0.0,"maximum":1.0})");
  EXPECT_EQ(action(section, "compose-key").params.at(0).allowed_values,
            (Strings{"Disabled", "Right Alt", "Menu", "Caps Lock", "Right Super", "Left Super"}));
}

TEST_F(InputSection, InvocationsCarryTheArgumentsOrTheValuesSeenWhenBuilt) {
  prefs_.input.compose_key = "caps";
  prefs_.input.accel_profile = "flat";
  prefs_.input.keyboard_layout = "de";
  ASSERT_TRUE(document_.put(orvo_doc::kRoot, "text.auto_correct", orvo_doc::ScalarValue::boolean(false)));
  const Resource section = build({"us", "de"});
  struct Case {
    const char* name;
    const char* arguments;
    const char* kind;
    const char* payload;
  };
  const char* input = "settings.input-operation";
  const Case cases[] = {
      {"tap-to-click", R"({"value":true})", input, R"({"SetTapToClick":{"enabled":true}})"},
      {"key-repeat", R"({"value":1.7})", input, R"({"SetKeyRepeat":{"value":1.0}})"},
      {"compose-key", "{}", input, R"({"SetComposeKey":{"key":"Caps Lock"}})"},
      {"compose-key", R"({"choice":"Menu"})", input, R"({"SetComposeKey":{"key":"Menu"}})"},
      {"acceleration-profile", "{}", input, R"({"SetAccelerationProfile":{"profile":"Flat"}})"},
      {"active-source", "{}", input, R"({"SetActiveSource":{"label":"German"}})"},
      // A fresh document counts as "on"; the flip sets the opposite of what the tree saw.
      {"spell-checking", "{}", "settings.action",
       R"({"SetSetting":{"key":"text.check_spelling","value":{"Bool":false}}})"},
      {"auto-correct", "{}", "settings.action", R"({"SetSetting":{"key":"text.auto_correct","value":{"Bool":true}}})"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + c.arguments);
    const auto encoded = invoke(action(section, c.name), c.arguments);
    EXPECT_EQ(encoded.kind, c.kind);
    EXPECT_EQ(encoded.payload, c.payload);
  }
  EXPECT_EQ(action(section, "spell-checking").title, "Turn off spell checking while typing");
  EXPECT_EQ(action(section, "auto-correct").title, "Turn on automatic spelling correction");
}

TEST_F(InputSection, EachSourceMovesAndIsRemovedByItsPosition) {
  struct Case {
    Strings sources;
    // Per child: its actions and their payloads, in order.
    std::vector<std::vector<std::pair<std::string, std::string>>> children;
  };
  const Case cases[] = {
      {{"us"}, {{}}},
      {{"us", "de", "fr"},
       {
           {{"move-down", R"({"MoveDown":{"index":0}})"}, {"remove", R"({"Remove":{"index":0}})"}},
           {{"move-up", R"({"MoveUp":{"index":1}})"},
            {"move-down", R"({"MoveDown":{"index":1}})"},
            {"remove", R"({"Remove":{"index":1}})"}},
           {{"move-up", R"({"MoveUp":{"index":2}})"}, {"remove", R"({"Remove":{"index":2}})"}},
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sources.size());
    const Resource section = build(c.sources);
    ASSERT_EQ(section.children.size(), c.children.size());
    for (std::size_t i = 0; i < c.children.size(); ++i) {
      const Resource& child = section.children[i];
      EXPECT_EQ(child.id, "settings.input-source:" + c.sources[i]);
      EXPECT_EQ(child.kind, "settings.input-source");
      ASSERT_EQ(child.actions.size(), c.children[i].size()) << child.id;
      for (std::size_t k = 0; k < child.actions.size(); ++k) {
        const auto& spec = child.actions[k];
        EXPECT_EQ(spec.name, c.children[i][k].first);
        EXPECT_EQ(invoke(spec, "{}"),
                  (orvo_actions::EncodedAction{"settings.keyboard-source-operation", c.children[i][k].second}));
        EXPECT_EQ(spec.contract.tags, (Strings{"device-local", "input-source"}));
      }
    }
  }
  // A source the catalogue does not list is titled by its id.
  EXPECT_EQ(build({"us", "xx"}).children.at(1).title, "xx");
}

TEST_F(InputSection, OnlyTheFirst256SourcesGetAChild) {
  Strings sources;
  for (int i = 0; i < 300; ++i) sources.push_back("l" + std::to_string(i));
  const Resource section = build(sources);
  ASSERT_EQ(section.children.size(), 256U);
  EXPECT_EQ(action_names(section.children.back()), (Strings{"move-up", "move-down", "remove"}));
  EXPECT_EQ(invoke(action(section.children.back(), "remove"), "{}").payload, R"({"Remove":{"index":255}})");
}

TEST_F(InputSection, AddSourceOffersTheUnconfiguredLayoutsWhileAtMostThreeAreConfigured) {
  struct Case {
    const char* what;
    Strings sources;
    std::optional<Strings> offered;  // none: no "add-source"
  };
  const Case cases[] = {
      {"one configured", {"us"}, Strings{"French", "German", "Norwegian", "Swedish"}},
      {"three configured", {"us", "de", "fr"}, Strings{"Norwegian", "Swedish"}},
      {"an id the catalogue lacks", {"us", "de", "xx"}, Strings{"French", "Norwegian", "Swedish"}},
      {"four configured", {"us", "de", "fr", "se"}, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Resource section = build(c.sources);
    const auto* add = section.find_action("add-source");
    if (!c.offered) {
      EXPECT_EQ(add, nullptr);
      continue;
    }
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add->params.at(0).name, "label");
    EXPECT_EQ(add->params.at(0).allowed_values, *c.offered);
    EXPECT_EQ(invoke(*add, "{}").payload, R"({"Add":{"label":")" + c.offered->front() + R"("}})");
  }

  // Three configured and one layout left: offered, with that layout as the default label.
  input_.layouts = {{"us", "English (US)"}, {"de", "German"}, {"fr", "French"}, {"se", "Swedish"}};
  const Resource three = build({"us", "de", "fr"});
  ASSERT_NE(three.find_action("add-source"), nullptr);
  EXPECT_EQ(invoke(action(three, "add-source"), "{}").payload, R"({"Add":{"label":"Swedish"}})");
  EXPECT_EQ(invoke(action(three, "add-source"), R"({"label":"German"})").payload, R"({"Add":{"label":"German"}})");

  // Every layout configured: nothing to offer.
  input_.layouts = {{"us", "English (US)"}, {"de", "German"}};
  EXPECT_EQ(build({"us", "de"}).find_action("add-source"), nullptr);
}

TEST_F(InputSection, ActiveSourceOffersTheConfiguredSourcesTheCatalogueNames) {
  const Resource section = build({"fr", "xx", "us"});
  EXPECT_EQ(action(section, "active-source").params.at(0).allowed_values, (Strings{"French", "English (US)"}));
}

TEST(InputBindings, BindByTheActionsOwnParameterFromTheSavedPreferences) {
  const orvo_testing::TempDir config;
  config.write("orvo/settings.json",
               R"({"input":{"keyboard_layout":"us","keyboard_layouts":["us","de","fr","se"]}})");
  const system_paths::ScopedOverride paths(config.root(), config.root());
  FakeInputQueries input;
  input.layouts = kCatalogue;

  const auto choice = input_choice_binding("compose-key", input);
  ASSERT_TRUE(choice.has_value());
  EXPECT_EQ(choice->resource, "settings.section:mouse_keyboard");
  EXPECT_EQ(choice->arguments("Menu").to_json_text(), R"({"choice":"Menu"})");
  // Four sources saved: the section has no "add-source" to bind.
  EXPECT_FALSE(input_choice_binding("add-source", input).has_value());
  EXPECT_TRUE(input_toggle_binding("spell-checking", input).has_value());
  EXPECT_FALSE(input_toggle_binding("Spell-checking", input).has_value());

  config.write("orvo/settings.json", R"({"input":{"keyboard_layout":"us","keyboard_layouts":["us"]}})");
  const auto add = input_choice_binding("add-source", input);
  ASSERT_TRUE(add.has_value());
  EXPECT_EQ(add->arguments("German").to_json_text(), R"({"label":"German"})");
  EXPECT_TRUE(orvo_actions::build_control_invocation(*add, std::string("German")).has_value());
  EXPECT_FALSE(orvo_actions::build_control_invocation(*add, std::string("English (US)")).has_value());
}

}  // namespace
}  // namespace settings::actions
