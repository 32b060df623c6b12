#pragma once
// The wire protocols a model provider can speak.
#include <cstdint>
#include <expected>
#include <string>
#include <string_view>

#include "orvo_json/json.h"

namespace agent_provider_config {

enum class ProviderProtocol : std::uint8_t { OpenAiCompatible = 0, Anthropic = 1 };

// "openai-compatible", "anthropic": the id used in operations and in the configuration file.
std::string_view protocol_id(ProviderProtocol protocol);
// "OpenAI-compatible", "Anthropic".
std::string_view display_name(ProviderProtocol protocol);

// Exactly one of the two ids (no case folding, no trimming); anything else is the error
// "unsupported provider protocol".
std::expected<ProviderProtocol, std::string> parse_provider_protocol(std::string_view text);

constexpr auto describe_json(orvo_json::Tag<ProviderProtocol>) {
  return orvo_json::unit_enum<ProviderProtocol>(
      "ProviderProtocol",
      {{"openai-compatible", ProviderProtocol::OpenAiCompatible}, {"anthropic", ProviderProtocol::Anthropic}});
}

}  // namespace agent_provider_config
