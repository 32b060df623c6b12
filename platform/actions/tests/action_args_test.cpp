#include "orvo_actions/action_args.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <nlohmann/json.hpp>

namespace orvo_actions {
namespace {

TEST(ActionArgs, TypedReadsAnswerOnlyForTheMatchingType) {
  auto args = ActionArgs::parse(R"({"b":true,"i":3,"u":18446744073709551615,"f":0.25,"s":"on","n":null,"o":{}})");
  ASSERT_TRUE(args) << args.error();

  struct Case {
    const char* key;
    std::optional<bool> boolean;
    std::optional<double> number;
    std::optional<std::string> text;
  };
  const Case cases[] = {
      {"b", true, std::nullopt, std::nullopt},
      {"i", std::nullopt, 3.0, std::nullopt},
      {"u", std::nullopt, 18446744073709551615.0, std::nullopt},
      {"f", std::nullopt, 0.25, std::nullopt},
      {"s", std::nullopt, std::nullopt, "on"},
      {"n", std::nullopt, std::nullopt, std::nullopt},
      {"o", std::nullopt, std::nullopt, std::nullopt},
      {"missing", std::nullopt, std::nullopt, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(args->boolean(c.key), c.boolean);
    EXPECT_EQ(args->number(c.key), c.number);
    EXPECT_EQ(args->text(c.key), c.text);
  }
}

TEST(ActionArgs, ParseRefusesTextThatIsNotOneObject) {
  EXPECT_EQ(ActionArgs::parse("[1]").error(), "arguments must be a JSON object");
  EXPECT_EQ(ActionArgs::parse("\"value\"").error(), "arguments must be a JSON object");
  EXPECT_EQ(ActionArgs::parse("{\"value\":").error(), "arguments are not valid JSON");
  EXPECT_EQ(ActionArgs::parse("{} {}").error(), "arguments are not valid JSON");
  EXPECT_TRUE(ActionArgs::parse("{}")->empty());
  EXPECT_EQ(ActionArgs::parse("{\"a\":" + std::string(128, '[') + std::string(128, ']') + "}").error(),
            "arguments are nested more than 128 levels deep");
  EXPECT_TRUE(ActionArgs::parse("{\"a\":" + std::string(127, '[') + std::string(127, ']') + "}"));
  EXPECT_TRUE(ActionArgs::parse(R"({"a":"[[[[\"[[[["})"));
}

TEST(ActionArgs, NonFiniteNumbersAreWrittenAsNull) {
  nlohmann::ordered_json object;
  object["value"] = std::numeric_limits<double>::quiet_NaN();
  object["other"] = std::numeric_limits<double>::infinity();
  EXPECT_EQ(ActionArgs(object).to_json_text(), R"({"value":null,"other":null})");
}

TEST(ActionArgs, ANonObjectValueStandsForTheEmptyObject) {
  ActionArgs args(nlohmann::ordered_json::array({1, 2}));
  EXPECT_TRUE(args.empty());
  EXPECT_EQ(args.to_json_text(), "{}");
}

}  // namespace
}  // namespace orvo_actions
