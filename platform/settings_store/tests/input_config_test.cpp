#include "settings_store/input_config.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using settings_store::hardware::RichInputConfig;
using List = std::vector<std::string>;

TEST(NormaliseSources, KeepsTheSourceInUseInACleanList) {
  const struct {
    const char* active;
    List layouts;
    const char* want_active;
    List want_layouts;
  } rows[] = {
      {"us", {"us", "de"}, "us", {"us", "de"}},
      {"de", {"us", "de", "us"}, "de", {"us", "de"}},
      {"fr", {"us"}, "fr", {"fr", "us"}},
      {" de ", {" us", "", "\t", "us "}, "de", {"de", "us"}},
      {"", {"ch", "de"}, "ch", {"ch", "de"}},
      {"", {}, "us", {"us"}},
      {"de(nodeadkeys)", {}, "de(nodeadkeys)", {"de(nodeadkeys)"}},
  };
  for (const auto& row : rows) {
    RichInputConfig config;
    config.keyboard_layout = row.active;
    config.keyboard_layouts = row.layouts;
    config.compose_key = "ralt";
    config.normalise_sources();
    EXPECT_EQ(config.keyboard_layout, row.want_active) << row.active;
    EXPECT_EQ(config.keyboard_layouts, row.want_layouts) << row.active;
    EXPECT_EQ(config.compose_key, std::optional<std::string>("ralt"));

    RichInputConfig again = config;
    again.normalise_sources();
    EXPECT_EQ(again.keyboard_layouts, config.keyboard_layouts) << "normalising twice changes nothing";
  }
}

}  // namespace
