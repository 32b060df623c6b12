#include "orvo_runtime/text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

namespace text = orvo_runtime::text;

TEST(LossyUtf8, ReplacesEachMaximalInvalidSubpartOnce) {
  struct Case {
    std::string bytes;
    std::string text;
  };
  const std::string r = "\xEF\xBF\xBD";
  const Case cases[] = {
      {"plain ascii", "plain ascii"},
      {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
      {"a\xFF" "b", "a" + r + "b"},                   // a byte that begins nothing
      {"a\xE2\x82" "b", "a" + r + "b"},               // a cut sequence is one replacement
      {"\xE2\x82", r},                                // cut at the end
      {"\xC0\xAF", r + r},                            // overlong lead, then a lone continuation
      {"\xED\xA0\x80", r + r + r},                    // a surrogate is not UTF-8
      {"\xF4\x90\x80\x80", r + r + r + r},            // past U+10FFFF
      {"\xF0\x9F\x98" "\xC3\xA9", r + "\xC3\xA9"},    // the next valid character survives
  };
  for (const auto& c : cases) EXPECT_EQ(text::decode_utf8_lossy(c.bytes), c.text) << c.bytes;
}

TEST(TextFilters, DropControlsCutByCharactersAndTrimUnicodeSpace) {
  const std::string messy = "a\tb\nc\rd\x1b[0m\x7f\xC2\x85\xC2\x9F" "e";  // C1 controls are two bytes each
  EXPECT_EQ(text::drop_control_characters(messy, text::ControlFilter::KeepTabAndLineFeed), "a\tb\ncd[0me");
  EXPECT_EQ(text::drop_control_characters(messy, text::ControlFilter::DropAll), "abcd[0me");

  EXPECT_EQ(text::first_characters("\xC3\xA9t\xC3\xA9", 2), "\xC3\xA9t");
  EXPECT_EQ(text::first_characters("\xF0\x9F\x98\x80x", 1), "\xF0\x9F\x98\x80");
  EXPECT_EQ(text::first_characters("short", 10), "short");
  EXPECT_EQ(text::first_characters("short", 0), "");

  EXPECT_EQ(text::trim_unicode_whitespace(" \t\r\n\u00a0\u3000ada \u2029"), "ada");
  EXPECT_EQ(text::trim_unicode_whitespace("a d a"), "a d a");
  EXPECT_EQ(text::trim_unicode_whitespace("\x1f" "ada"), "\x1f" "ada");  // a control, not white space
  EXPECT_EQ(text::trim_unicode_whitespace("ada\xe3\x80"), "ada\xe3\x80");  // a cut sequence stays
}

TEST(CleanErrorOutput, CutsTo512CharactersAfterDroppingControls) {
  // 600 characters, each two bytes, with control characters spread through them.
  std::string bytes;
  for (int i = 0; i < 600; ++i) {
    bytes += "\xC3\xA9";
    if (i % 100 == 0) bytes += "\x1b\x07";
  }
  const std::string cleaned = text::clean_error_output(bytes);
  EXPECT_EQ(cleaned.size(), 512u * 2);
  EXPECT_EQ(cleaned.find('\x1b'), std::string::npos);

  EXPECT_EQ(text::clean_error_output("\n  Failed to start unit:\tno such unit\n\xFF\n"),
            "Failed to start unit:\tno such unit\n\xEF\xBF\xBD");
  EXPECT_EQ(text::clean_error_output(" \r\n\x1b "), "");
}

TEST(CommandDetail, TrimsFallsBackAndDropsEveryControlCharacter) {
  EXPECT_EQ(text::command_detail_text(" \n\t ", "not reachable"), "not reachable");
  EXPECT_EQ(text::command_detail_text("  host\tdown\r\nnow \xFF ", "x"), "hostdownnow \xEF\xBF\xBD");
  std::string bytes;
  for (int i = 0; i < 2000; ++i) bytes += (i % 3 == 0) ? "\x07" : "y";
  EXPECT_EQ(text::command_detail_text(bytes, "x"), std::string(512, 'y'));
}

}  // namespace
