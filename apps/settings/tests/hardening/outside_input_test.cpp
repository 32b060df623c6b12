// Outside text that once slipped through its decoder, and the provider details a request may set:
// each case is refused with a reason instead of being passed on.
#include <gtest/gtest.h>

#include <string>

#include "agent_provider_config/provider_config.h"
#include "orvo_portal/portal.h"
#include "orvo_relay/config.h"

namespace {

TEST(OutsideInput, AFileAddressWithANulByteGivesNoPath) {
  EXPECT_EQ(runtime_portal_xdg::local_path("file:///tmp/report.pdf"), "/tmp/report.pdf");
  EXPECT_FALSE(runtime_portal_xdg::local_path(std::string("file:///tmp/report\0.pdf", 23)).has_value());
  EXPECT_FALSE(runtime_portal_xdg::local_path("file:///tmp/report%00.pdf").has_value());
}

TEST(OutsideInput, AWorkspaceIdThatIsNotAnIntegerIsADecodeError) {
  for (const char* id : {"4e21", "-4e21", "1.5", "nan", "inf", "-3"}) {
    SCOPED_TRACE(id);
    auto config = orvo_relay_protocol::config::RelayConfig::parse(std::string("[[workspaces]]\nid = ") + id + "\n",
                                                                  "relay.toml");
    ASSERT_FALSE(config.has_value());
    EXPECT_NE(config.error().text.find("expected a non-negative integer"), std::string::npos) << config.error().text;
  }
}

TEST(OutsideInput, ProviderDetailsAreKeptAsTypedWithinLimitsAndOnlyForAWebAddress) {
  namespace config = agent_provider_config;
  struct Row {
    std::string label;
    std::string endpoint;
    std::optional<std::string> refusal;
  };
  const Row rows[] = {
      {"Work proxy ✓", "https://llm.example.internal:8443/v1/", std::nullopt},
      {"  lab  ", " HTTP://10.0.0.2:8000 ", std::nullopt},
      {std::string(config::kMaxLabelCharacters, 'x'), "https://a", std::nullopt},
      {std::string(config::kMaxLabelCharacters + 1, 'x'), "https://a",
       "the provider name is longer than 256 characters"},
      {"Lab", "https://a/" + std::string(config::kMaxEndpointCharacters, 'p'),
       "the endpoint is longer than 2048 characters"},
      {"Line\nbreak", "https://a", "the provider name must not hold control characters"},
      {"Lab", std::string("https://a\0.evil", 15), "the endpoint must not hold control characters"},
      {"Lab", "javascript:alert(1)", "the endpoint must be an http:// or https:// address"},
      {"Lab", "file:///etc/passwd", "the endpoint must be an http:// or https:// address"},
      {"Lab", "ftp://host/", "the endpoint must be an http:// or https:// address"},
      {"Lab", "https:///path-without-host", "the endpoint must be an http:// or https:// address"},
      {"Lab", "api.example.com/v1", "the endpoint must be an http:// or https:// address"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.endpoint.substr(0, 40));
    EXPECT_EQ(config::check_details(row.label, row.endpoint), row.refusal);
  }
}

}  // namespace
