#include "settings_store/display_types.h"

#include <gtest/gtest.h>

#include "orvo_json/json.h"

namespace {

using settings_store::hardware::OutputMode;
using settings_store::hardware::OutputTransform;

TEST(OutputModeJson, WritesCompactAndReadsObjectOrArray) {
  const OutputMode mode{1920, 1080, 60000};
  EXPECT_EQ(orvo_json::encode(mode), R"({"width":1920,"height":1080,"refresh_mhz":60000})");
  EXPECT_EQ(orvo_json::decode<OutputMode>(R"({"refresh_mhz":60000,"height":1080,"width":1920})").value(), mode);
  EXPECT_EQ(orvo_json::decode<OutputMode>("[1920,1080,60000]").value(), mode);

  const struct {
    const char* input;
    const char* reason;
  } bad[] = {
      {R"({"width":1920,"height":1080})", "missing field `refresh_mhz`"},
      {R"({"width":1,"height":2,"height":2,"refresh_mhz":3})", "duplicate field `height`"},
      {"[1920,1080]", "invalid length 2, expected struct OutputMode with 3 elements"},
      {"1920", "invalid type: integer `1920`, expected struct OutputMode"},
      {R"({"width":1,"height":2,"refresh_mhz":4294967296})", "invalid value: integer `4294967296`, expected u32"},
  };
  for (const auto& c : bad) {
    auto result = orvo_json::decode<OutputMode>(c.input);
    ASSERT_FALSE(result.has_value()) << c.input;
    EXPECT_EQ(result.error().reason, c.reason) << c.input;
  }
}

TEST(OutputTransformJson, NamesInOrderAndBothReadForms) {
  const OutputTransform all[] = {OutputTransform::Normal, OutputTransform::Rotate90, OutputTransform::Rotate180,
                                 OutputTransform::Rotate270};
  const char* names[] = {"normal", "rotate90", "rotate180", "rotate270"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(orvo_json::encode(all[i]), std::string("\"") + names[i] + "\"");
    EXPECT_EQ(to_string(all[i]), names[i]);
    EXPECT_EQ(orvo_json::decode<OutputTransform>(std::string("{\"") + names[i] + "\":null}").value(), all[i]);
  }
  auto bad = orvo_json::decode<OutputTransform>(R"("Rotate90")");
  ASSERT_FALSE(bad.has_value());
  EXPECT_EQ(bad.error().reason,
            "unknown variant `Rotate90`, expected one of `normal`, `rotate90`, `rotate180`, `rotate270`");
  EXPECT_EQ(settings_store::hardware::output_transform_from_string("left"), std::nullopt);
}

}  // namespace
