// Outside text that once slipped through its decoder, and the provider details a request may set:
// each case is refused with a reason instead of being passed on.
#include <gtest/gtest.h>

#include <string>

#include "agent_provider_config/provider_config.h"

namespace {

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
