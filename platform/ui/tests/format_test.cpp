#include "orvo_ui/format.h"

#include <gtest/gtest.h>

namespace {

TEST(BytesSi, UsesPowersOfAThousandWithOneDecimal) {
  const struct {
    std::uint64_t bytes;
    const char* text;
  } cases[] = {
      {0, "0 B"},
      {999, "999 B"},
      {1000, "1.0 kB"},
      {1234, "1.2 kB"},
      {999'949, "999.9 kB"},
      {999'950, "1.0 MB"},  // would round to 1000.0 kB
      {1'200'000'000, "1.2 GB"},
      {18'446'744'073'709'551'615ull, "18.4 EB"},
  };
  for (const auto& c : cases) EXPECT_EQ(orvo_ui::format::bytes_si(c.bytes), c.text) << c.bytes;
}

TEST(Bytes, UsesPowersOf1024WithOneDecimal) {
  const struct {
    std::uint64_t bytes;
    const char* text;
  } cases[] = {
      {0, "0 B"},
      {1023, "1023 B"},
      {1024, "1.0 KiB"},
      {1536, "1.5 KiB"},
      {1'048'524, "1023.9 KiB"},
      {1'048'525, "1.0 MiB"},  // would round to 1024.0 KiB
      {8'192'000'000, "7.6 GiB"},
      {18'446'744'073'709'551'615ull, "16.0 EiB"},
  };
  for (const auto& c : cases) EXPECT_EQ(orvo_ui::format::bytes(c.bytes), c.text) << c.bytes;
}

}  // namespace
