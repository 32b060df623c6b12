#include "account_probe/imap_response.h"

#include <gtest/gtest.h>

namespace {

using namespace settings::account_probe;

TEST(ImapResponse, GreetingMustBeAnUntaggedOk) {
  for (const char* good : {"* OK ready", "* OK", "* ok [CAPABILITY IMAP4rev1] hi", "* Ok  two spaces"}) {
    EXPECT_TRUE(is_ok_greeting(good)) << good;
  }
  for (const char* bad : {"", "*", "* ", "*OK", "* OKAY", "* PREAUTH hi", "* BYE no", "A1 OK", "+ OK", " * OK"}) {
    EXPECT_FALSE(is_ok_greeting(bad)) << bad;
  }
}

TEST(ImapResponse, ClassifiesLinesAgainstTheTag) {
  const std::pair<const char*, ResponseKind> cases[] = {
      {"* CAPABILITY IMAP4rev1", ResponseKind::Untagged},
      {"* BYE going", ResponseKind::Untagged},
      {"A1 OK LOGIN completed", ResponseKind::TaggedOk},
      {"A1 ok", ResponseKind::TaggedOk},
      {"A1 NO [AUTHENTICATIONFAILED] nope", ResponseKind::TaggedNo},
      {"A1 BAD syntax", ResponseKind::TaggedBad},
      {"A1 OKAY", ResponseKind::Unexpected},
      {"A1 MAYBE", ResponseKind::Unexpected},
      {"A1", ResponseKind::Unexpected},
      {"A1 ", ResponseKind::Unexpected},
      {"A11 OK", ResponseKind::Unexpected},
      {"A2 OK", ResponseKind::Unexpected},
      {"+ go ahead", ResponseKind::Unexpected},
      {"", ResponseKind::Unexpected},
  };
  for (const auto& [line, kind] : cases) EXPECT_EQ(classify_response(line, "A1"), kind) << line;
}

}  // namespace
