#include "panes/updates/bootc_status.h"

#include <gtest/gtest.h>

#include <string>

namespace {

namespace updates = settings::panes::updates;

TEST(BootcStatus, StagedImageText) {
  struct Case {
    const char* document;
    std::optional<std::string> staged;
  };
  const Case cases[] = {
      {R"({"status": {"staged": {"version": "43.20261210", "image": {"image": {"image": "quay.io/orvo/os:43"}}}}})",
       "43.20261210"},
      {R"({"status": {"staged": {"image": {"image": {"image": "quay.io/orvo/os:43"}}}}})", "quay.io/orvo/os:43"},
      {R"({"status": {"staged": {}}})", "Update staged for next boot"},
      {R"({"status": {"staged": {"version": 43}}})", "Update staged for next boot"},  // not a string
      {R"({"status": {"staged": null}})", std::nullopt},
      {R"({"status": {"booted": {"version": "42"}}})", std::nullopt},
      {R"({"status": "staged"})", std::nullopt},
      {R"([{"status": {"staged": {}}}])", std::nullopt},
      {"{\"status\": {", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(updates::staged_image(c.document), c.staged) << c.document;
}

TEST(BootcStatus, PreviousImageText) {
  struct Case {
    const char* document;
    std::optional<std::string> previous;
  };
  const Case cases[] = {
      {R"({"status": {"rollback": {"image": {"image": {"image": "quay.io/orvo/os:42"}, "version": "42.1"}}}})",
       "quay.io/orvo/os:42"},
      {R"({"status": {"rollback": {"image": {"image": {"image": null}, "version": "42.1"}}}})", "42.1"},
      {R"({"status": {"rollback": {"version": "42.1"}}})", "the previous image"},
      {R"({"status": {"rollback": null}})", std::nullopt},
      {R"({"status": {}})", std::nullopt},
      {"not json", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(updates::previous_image(c.document), c.previous) << c.document;
}

TEST(BootcStatus, DocumentationUrlSearch) {
  const std::string long_url = "https://orvo.example/" + std::string(492, 'a');  // 513 bytes
  ASSERT_EQ(long_url.size(), 513u);
  struct Case {
    std::string document;
    std::optional<std::string> url;
  };
  const Case cases[] = {
      {R"({"labels": {"org.opencontainers.image.url": "https://orvo.example/url",
                      "org.opencontainers.image.documentation": "https://orvo.example/docs"}})",
       "https://orvo.example/docs"},  // the key order decides, not the member order
      {R"({"a": {"documentation": "HTTPS://orvo.example/upper", "releaseNotes": "https://orvo.example/notes"}})",
       "https://orvo.example/notes"},
      {R"({"documentation": "http://orvo.example/plain", "org.opencontainers.image.source": "orvo.example"})",
       std::nullopt},
      {R"({"documentation": ")" + long_url + R"("})", std::nullopt},
      {R"({"documentation": ")" + long_url.substr(1) + R"("})", std::nullopt},  // no "https" scheme either
      {R"({"documentation": "https://)" + std::string(504, 'b') + R"("})", "https://" + std::string(504, 'b')},
      {R"({"status": {"booted": {"image": {"labels": [1, {"x": [{"releaseNotes": "https://orvo.example/deep"}]}]}}}})",
       "https://orvo.example/deep"},
      {R"({"first": {"documentation": "https://orvo.example/first"}, "documentation": "http://x"})",
       "https://orvo.example/first"},  // the object's own keys did not qualify: members in order
      {R"([{"url": "https://no"}, {"documentation": 5}, {"releaseNotes": "https://orvo.example/second"}])",
       "https://orvo.example/second"},
      {"[[[[[[[[[[]]]]]]]]]]", std::nullopt},
      {"{", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(updates::documentation_url(c.document), c.url) << c.document;
}

TEST(BootcStatus, DeepNestingIsNoProblem) {
  const std::string deep = std::string(100'000, '[') + R"({"documentation": "https://orvo.example/d"})" +
                           std::string(100'000, ']');
  EXPECT_EQ(updates::documentation_url(deep), "https://orvo.example/d");
}

}  // namespace
