#include "orvo_json/json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

namespace sample {

struct Mode {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t refresh_mhz = 0;
  bool operator==(const Mode&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<Mode>) {
  return orvo_json::record<Mode>("Mode", orvo_json::field("width", &Mode::width),
                                 orvo_json::field("height", &Mode::height),
                                 orvo_json::field("refresh_mhz", &Mode::refresh_mhz));
}

struct Pair {
  std::uint8_t a = 0;
  std::optional<std::uint8_t> b;
  bool operator==(const Pair&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<Pair>) {
  return orvo_json::strict_record<Pair>("Pair", orvo_json::field("a", &Pair::a), orvo_json::field("b", &Pair::b));
}

enum class Action { Suspend, Lock, Ignore };

constexpr auto describe_json(orvo_json::Tag<Action>) {
  return orvo_json::unit_enum<Action>(
      "Action", {{"suspend", Action::Suspend}, {"lock", Action::Lock}, {"ignore", Action::Ignore}});
}

// A preference-like record: defaulted fields, containers, a nested record and a unit enum.
struct Prefs {
  bool enabled = false;                  // required
  float balance = 0.5F;                  // defaulted
  std::optional<std::string> device;     // none when absent
  std::optional<Mode> mode;              // none when absent
  std::uint16_t rate = 180;              // defaulted
  std::vector<std::string> layouts{"us"};  // defaulted
  std::map<std::string, bool> per_app;   // defaulted
  Action lid = Action::Suspend;          // defaulted
  bool operator==(const Prefs&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<Prefs>) {
  return orvo_json::record<Prefs>(
      "Prefs", orvo_json::field("enabled", &Prefs::enabled), orvo_json::defaulted_field("balance", &Prefs::balance),
      orvo_json::field("device", &Prefs::device), orvo_json::field("mode", &Prefs::mode),
      orvo_json::defaulted_field("rate", &Prefs::rate), orvo_json::defaulted_field("layouts", &Prefs::layouts),
      orvo_json::defaulted_field("per_app", &Prefs::per_app), orvo_json::defaulted_field("lid", &Prefs::lid));
}

namespace op {
struct Check {
  bool operator==(const Check&) const = default;
};
struct SetFlag {
  bool enabled = false;
  bool operator==(const SetFlag&) const = default;
};
struct Move {
  std::uint64_t index = 0;
  std::int64_t delta = 0;
  double speed = 0;
  std::optional<std::string> note;
  bool operator==(const Move&) const = default;
};
}  // namespace op

struct Op : std::variant<op::Check, op::SetFlag, op::Move, std::string> {
  using variant::variant;
};

constexpr auto describe_json(orvo_json::Tag<Op>) {
  return orvo_json::externally_tagged<Op>(
      "Op", orvo_json::unit_variant<op::Check>("Check"),
      orvo_json::struct_variant("SetFlag", orvo_json::field("enabled", &op::SetFlag::enabled)),
      orvo_json::struct_variant("Move", orvo_json::field("index", &op::Move::index),
                                orvo_json::field("delta", &op::Move::delta),
                                orvo_json::field("speed", &op::Move::speed), orvo_json::field("note", &op::Move::note)),
      orvo_json::newtype_variant<std::string>("Text"));
}

namespace phase {
struct Downloading {
  std::uint64_t downloaded_bytes = 0;
  std::uint64_t total_bytes = 0;
  bool operator==(const Downloading&) const = default;
};
struct Queued {
  bool operator==(const Queued&) const = default;
};
}  // namespace phase

struct Phase : std::variant<phase::Downloading, phase::Queued> {
  using variant::variant;
};

constexpr auto describe_json(orvo_json::Tag<Phase>) {
  return orvo_json::internally_tagged<Phase>(
      "Phase", "state",
      orvo_json::tagged_variant("downloading", orvo_json::field("downloaded_bytes", &phase::Downloading::downloaded_bytes),
                                orvo_json::field("total_bytes", &phase::Downloading::total_bytes)),
      orvo_json::tagged_variant<phase::Queued>("queued"));
}

}  // namespace sample

namespace {

using sample::Op;

template <class T>
std::string error_of(std::string_view text) {
  auto result = orvo_json::decode<T>(text);
  EXPECT_FALSE(result.has_value()) << text;
  return result.has_value() ? std::string() : result.error().reason;
}

TEST(JsonRecord, WritesFieldsInDeclarationOrderAndReadsAnyOrder) {
  const sample::Mode mode{1920, 1080, 60000};
  EXPECT_EQ(orvo_json::encode(mode), R"({"width":1920,"height":1080,"refresh_mhz":60000})");
  auto read = orvo_json::decode<sample::Mode>(R"( { "refresh_mhz" : 60000, "x": [1, {"y": null}], "height":1080,
      "width":1920 } )");
  ASSERT_TRUE(read.has_value()) << read.error().text();
  EXPECT_EQ(*read, mode);
  EXPECT_EQ(orvo_json::decode<sample::Mode>("[1920,1080,60000]").value(), mode);
}

struct ErrorCase {
  const char* input;
  const char* reason;
};

TEST(JsonRecord, RefusesWithExactMessages) {
  const ErrorCase cases[] = {
      {R"({"width":1,"height":2})", "missing field `refresh_mhz`"},
      {R"({})", "missing field `width`"},
      {R"({"width":1,"width":1,"height":2,"refresh_mhz":3})", "duplicate field `width`"},
      {"[1920,1080]", "invalid length 2, expected struct Mode with 3 elements"},
      {"[1,2,3,4]", "trailing characters"},
      {R"("x")", "invalid type: string \"x\", expected struct Mode"},
      {R"({"width":-1,"height":2,"refresh_mhz":3})", "invalid value: integer `-1`, expected u32"},
      {R"({"width":4294967296,"height":2,"refresh_mhz":3})", "invalid value: integer `4294967296`, expected u32"},
      {R"({"width":1.5,"height":2,"refresh_mhz":3})", "invalid type: floating point `1.5`, expected u32"},
      {R"({"width":"1","height":2,"refresh_mhz":3})", "invalid type: string \"1\", expected u32"},
      {R"({"width":1,"height":2,"refresh_mhz":3} x)", "trailing characters"},
      {R"({"width":1,"height":2,"refresh_mhz":3}{})", "trailing characters"},
      {"", "EOF while parsing a value"},
      {R"({"width":1,)", "EOF while parsing an object"},
      {R"({"width":01})", "invalid number"},
      {R"({"width":1,})", "trailing comma"},
  };
  for (const auto& c : cases) EXPECT_EQ(error_of<sample::Mode>(c.input), c.reason) << c.input;
}

TEST(JsonRecord, StrictRecordRefusesUnknownKeysOnlyInTheObjectForm) {
  EXPECT_EQ(orvo_json::decode<sample::Pair>(R"({"b":null,"a":1})").value(), (sample::Pair{1, std::nullopt}));
  EXPECT_EQ(orvo_json::decode<sample::Pair>(R"([1,2])").value(), (sample::Pair{1, 2}));
  EXPECT_EQ(error_of<sample::Pair>(R"({"a":1,"c":0})"), "unknown field `c`, expected `a` or `b`");
  EXPECT_EQ(error_of<sample::Pair>(R"({"a":1,"a":2})"), "duplicate field `a`");
  EXPECT_EQ(error_of<sample::Pair>(R"([1,2,3])"), "trailing characters");
  EXPECT_EQ(orvo_json::decode<sample::Pair>(R"({"a":1,"c":0})").error().text(),
            "unknown field `c`, expected `a` or `b` at line 1 column 11");
}

TEST(JsonRecord, ErrorTextCarriesLineAndColumn) {
  auto result = orvo_json::decode<sample::Mode>("{\n  \"width\": true}");
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error().text(), "invalid type: boolean `true`, expected u32 at line 2 column 15");
  // Decoding a parsed value reports no position.
  auto from_value = orvo_json::decode_value<sample::Mode>(nlohmann::ordered_json::parse(R"({"width":1})"));
  ASSERT_FALSE(from_value.has_value());
  EXPECT_EQ(from_value.error().text(), "missing field `height`");
  auto long_array = orvo_json::decode_value<sample::Mode>(nlohmann::ordered_json::parse("[1,2,3,4]"));
  ASSERT_FALSE(long_array.has_value());
  EXPECT_EQ(long_array.error().text(), "invalid length 4, expected fewer elements in array");
}

TEST(JsonNumbers, FloatsUseTheShortestTextThatReadsBack) {
  const struct {
    double value;
    const char* text;
  } doubles[] = {{0.1, "0.1"}, {2.0, "2.0"}, {-0.0, "-0.0"}, {1e21, "1e+21"}, {5e-324, "5e-324"}, {-1.5, "-1.5"}};
  for (const auto& c : doubles) {
    EXPECT_EQ(orvo_json::encode(c.value), c.text);
    EXPECT_EQ(orvo_json::decode<double>(c.text).value(), c.value) << c.text;
  }
  EXPECT_EQ(orvo_json::encode(0.1F), "0.1");
  EXPECT_EQ(orvo_json::decode<float>("0.1").value(), 0.1F);
  EXPECT_EQ(orvo_json::decode<double>("-0").value(), 0.0);
  EXPECT_EQ(orvo_json::decode<double>("1e-400").value(), 0.0);
  // Beyond float's range a number reads as an infinity rather than an undefined narrowing.
  EXPECT_EQ(orvo_json::decode<float>("1e300").value(), std::numeric_limits<float>::infinity());
  EXPECT_EQ(orvo_json::decode<float>("-1e300").value(), -std::numeric_limits<float>::infinity());
}

TEST(JsonRecord, DefaultedAndOptionalFields) {
  auto minimal = orvo_json::decode<sample::Prefs>(R"({"enabled":true})");
  ASSERT_TRUE(minimal.has_value()) << minimal.error().text();
  sample::Prefs expected;
  expected.enabled = true;
  EXPECT_EQ(*minimal, expected);

  EXPECT_EQ(error_of<sample::Prefs>(R"({"balance":0.25})"), "missing field `enabled`");
  EXPECT_EQ(error_of<sample::Prefs>(R"({"enabled":true,"balance":null})"), "invalid type: null, expected f32");
  EXPECT_EQ(error_of<sample::Prefs>(R"({"enabled":true,"rate":70000})"),
            "invalid value: integer `70000`, expected u16");
  EXPECT_EQ(error_of<sample::Prefs>(R"({"enabled":true,"lid":"Suspend"})"),
            "unknown variant `Suspend`, expected one of `suspend`, `lock`, `ignore`");
  // Array form: trailing defaulted fields may be left out, optional ones may not.
  EXPECT_EQ(error_of<sample::Prefs>("[true]"), "invalid length 1, expected struct Prefs with 8 elements");
  auto array = orvo_json::decode<sample::Prefs>(R"([true,0.25,null,null])");
  ASSERT_TRUE(array.has_value()) << array.error().text();
  EXPECT_EQ(array->balance, 0.25F);
  EXPECT_EQ(array->layouts, std::vector<std::string>{"us"});
  EXPECT_EQ(error_of<sample::Prefs>(R"([true,0.25,null])"),
            "invalid length 3, expected struct Prefs with 8 elements");
}

TEST(JsonRecord, ContainersAndEnumsRoundTrip) {
  sample::Prefs prefs;
  prefs.enabled = true;
  prefs.device = "Speakers \"front\"\n";
  prefs.layouts = {"us", "de(nodeadkeys)"};
  prefs.per_app = {{"zeta", true}, {"alpha", false}};
  prefs.lid = sample::Action::Ignore;
  prefs.mode = sample::Mode{800, 600, 59940};
  const std::string text = orvo_json::encode(prefs);
  EXPECT_EQ(text,
            R"({"enabled":true,"balance":0.5,"device":"Speakers \"front\"\n",)"
            R"("mode":{"width":800,"height":600,"refresh_mhz":59940},"rate":180,)"
            R"j("layouts":["us","de(nodeadkeys)"],"per_app":{"alpha":false,"zeta":true},"lid":"ignore"})j");
  EXPECT_EQ(orvo_json::decode<sample::Prefs>(text).value(), prefs);
  EXPECT_EQ(orvo_json::decode<sample::Action>(R"({"lock":null})").value(), sample::Action::Lock);
  // The value form has the same shape and reads back.
  const nlohmann::ordered_json value = orvo_json::encode_value(prefs);
  EXPECT_EQ(value.dump(), text);
  EXPECT_EQ(orvo_json::decode_value<sample::Prefs>(value).value(), prefs);
}

TEST(JsonVariant, ReadsEveryFormAndRefusesWithExactMessages) {
  const struct {
    const char* input;
    Op expected;
  } good[] = {
      {R"("Check")", sample::op::Check{}},
      {R"({"Check":null})", sample::op::Check{}},
      {R"( { "SetFlag" : { "enabled" : true } } )", sample::op::SetFlag{true}},
      {R"({"SetFlag":[false]})", sample::op::SetFlag{false}},
      {R"({"SetFlag":{"enabled":true,"other":[1,2]}})", sample::op::SetFlag{true}},
      {R"({"Move":{"index":18446744073709551615,"delta":-9223372036854775808,"speed":2}})",
       sample::op::Move{18446744073709551615ULL, std::numeric_limits<std::int64_t>::min(), 2.0, std::nullopt}},
      {R"({"Move":[1,-1,1e-3,"n"]})", sample::op::Move{1, -1, 0.001, "n"}},
      {R"({"Text":"Dark"})", std::string("Dark")},
  };
  for (const auto& c : good) {
    auto result = orvo_json::decode<Op>(c.input);
    ASSERT_TRUE(result.has_value()) << c.input << ": " << result.error().text();
    EXPECT_TRUE(*result == c.expected) << c.input;
  }

  const ErrorCase bad[] = {
      {R"("check")", "unknown variant `check`, expected one of `Check`, `SetFlag`, `Move`, `Text`"},
      {R"("SetFlag")", "invalid type: unit variant, expected struct variant"},
      {R"("Text")", "invalid type: unit variant, expected newtype variant"},
      {R"({"Check":{}})", "invalid type: map, expected unit"},
      {R"({"Check":true})", "invalid type: boolean `true`, expected unit"},
      {R"({"SetFlag":true})", "invalid type: boolean `true`, expected struct variant Op::SetFlag"},
      {R"({"SetFlag":[]})", "invalid length 0, expected struct variant Op::SetFlag with 1 element"},
      {R"({"Move":[1,2,3]})", "invalid length 3, expected struct variant Op::Move with 4 elements"},
      {R"({"SetFlag":[true,false]})", "trailing characters"},
      {R"({"SetFlag":{}})", "missing field `enabled`"},
      {R"({"SetFlag":{"enabled":true,"enabled":false}})", "duplicate field `enabled`"},
      {R"({"SetFlag":{"enabled":1}})", "invalid type: integer `1`, expected a boolean"},
      {R"({"Move":{"index":-1,"delta":0,"speed":0}})", "invalid value: integer `-1`, expected u64"},
      {R"({"Move":{"index":0,"delta":9223372036854775808,"speed":0}})",
       "invalid value: integer `9223372036854775808`, expected i64"},
      {R"({"Move":{"index":0,"delta":0,"speed":null}})", "invalid type: null, expected f64"},
      {R"({"Move":{"index":0,"delta":0,"speed":1e400}})", "number out of range"},
      {R"({"Text":3})", "invalid type: integer `3`, expected a string"},
      {R"({"Check":null,"SetFlag":[true]})", "expected value"},
      {R"({})", "expected value"},
      {"[]", "expected value"},
      {"7", "expected value"},
      {"", "EOF while parsing a value"},
      {R"("Check" "Check")", "trailing characters"},
      {"{\"Text\":\"a\x01\"}", "control character (\\u0000-\\u001F) found while parsing a string"},
      {R"({"Text":"\q"})", "invalid escape"},
      {R"({"Text":"\ud800"})", "unexpected end of hex escape"},
      {"{\"Text\":\"\xff\"}", "invalid unicode code point"},
  };
  for (const auto& c : bad) EXPECT_EQ(error_of<Op>(c.input), c.reason) << c.input;
}

TEST(JsonVariant, UnknownVariantListsNamesInTheOneOrAndOneOfForms) {
  const std::string_view one[] = {"SetSetting"};
  const std::string_view two[] = {"A", "B"};
  EXPECT_EQ(orvo_json::unknown_variant("x", one, 1), "unknown variant `x`, expected `SetSetting`");
  EXPECT_EQ(orvo_json::unknown_variant("x", two, 2), "unknown variant `x`, expected `A` or `B`");
}

TEST(JsonVariant, WritesCanonicalCompactText) {
  EXPECT_EQ(orvo_json::encode(Op{sample::op::Check{}}), R"("Check")");
  EXPECT_EQ(orvo_json::encode(Op{std::string("a\"b\\c\x01")}), R"({"Text":"a\"b\\c\u0001"})");
  EXPECT_EQ(orvo_json::encode(Op{sample::op::Move{1, -2, 0.1, std::nullopt}}),
            R"({"Move":{"index":1,"delta":-2,"speed":0.1,"note":null}})");
  EXPECT_EQ(orvo_json::encode(Op{sample::op::Move{0, 0, 2.0, "é"}}),
            R"({"Move":{"index":0,"delta":0,"speed":2.0,"note":"é"}})");
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::string with_nan = orvo_json::encode(Op{sample::op::Move{0, 0, nan, std::nullopt}});
  EXPECT_EQ(with_nan, R"({"Move":{"index":0,"delta":0,"speed":null,"note":null}})");
  EXPECT_EQ(error_of<Op>(with_nan), "invalid type: null, expected f64");
  EXPECT_EQ(orvo_json::encode(Op{sample::op::Move{0, 0, -INFINITY, std::nullopt}}), with_nan);
  // Spaces, key order and escapes disappear on re-encoding.
  auto a = orvo_json::decode<Op>(R"({"Move":{"note":"\u00e9","speed":2e0,"delta":0,"index":0}})");
  ASSERT_TRUE(a.has_value());
  EXPECT_EQ(orvo_json::encode(*a), R"({"Move":{"index":0,"delta":0,"speed":2.0,"note":"é"}})");
}

TEST(JsonReader, NestingLimitIs128Levels) {
  const auto nested = [](int depth) {
    // The variant object and its field object are two levels; the dropped member adds the rest.
    std::string inner(depth - 2, '[');
    inner += std::string(depth - 2, ']');
    return R"({"SetFlag":{"enabled":true,"deep":)" + inner + "}}";
  };
  EXPECT_TRUE(orvo_json::decode<Op>(nested(128)).has_value());
  EXPECT_EQ(error_of<Op>(nested(129)), "recursion limit exceeded");
  EXPECT_EQ(error_of<sample::Mode>(R"({"x":)" + std::string(100000, '[')), "recursion limit exceeded");
}

TEST(JsonInternallyTagged, TagAnywhereArrayFormAndErrors) {
  using sample::Phase;
  const sample::phase::Downloading dl{10, 20};
  EXPECT_EQ(orvo_json::encode(Phase{dl}), R"({"state":"downloading","downloaded_bytes":10,"total_bytes":20})");
  EXPECT_EQ(orvo_json::encode(Phase{sample::phase::Queued{}}), R"({"state":"queued"})");
  EXPECT_TRUE(orvo_json::decode<Phase>(R"({"total_bytes":20,"x":{},"downloaded_bytes":10,"state":"downloading"})")
                  .value() == Phase{dl});
  EXPECT_TRUE(orvo_json::decode<Phase>(R"(["downloading",10,20])").value() == Phase{dl});
  EXPECT_TRUE(orvo_json::decode<Phase>(R"({"state":"queued","total_bytes":"x"})").value() ==
              Phase{sample::phase::Queued{}});
  const ErrorCase bad[] = {
      {R"({"total_bytes":20})", "missing field `state`"},
      {R"({"state":"queued","state":"queued"})", "duplicate field `state`"},
      {R"({"state":"paused"})", "unknown variant `paused`, expected `downloading` or `queued`"},
      {R"({"state":"downloading","downloaded_bytes":1})", "missing field `total_bytes`"},
      {R"(["downloading",10])", "invalid length 1, expected struct variant Phase::downloading with 2 elements"},
      {"[]", "invalid length 0, expected internally tagged enum Phase"},
      {"true", "invalid type: boolean `true`, expected internally tagged enum Phase"},
  };
  for (const auto& c : bad) EXPECT_EQ(error_of<Phase>(c.input), c.reason) << c.input;
}

}  // namespace
