#include "agent_provider_config/provider_protocol.h"

namespace agent_provider_config {

std::string_view protocol_id(ProviderProtocol protocol) {
  return protocol == ProviderProtocol::Anthropic ? "anthropic" : "openai-compatible";
}

std::string_view display_name(ProviderProtocol protocol) {
  return protocol == ProviderProtocol::Anthropic ? "Anthropic" : "OpenAI-compatible";
}

std::expected<ProviderProtocol, std::string> parse_provider_protocol(std::string_view text) {
  if (text == "anthropic") return ProviderProtocol::Anthropic;
  if (text == "openai-compatible") return ProviderProtocol::OpenAiCompatible;
  return std::unexpected(std::string("unsupported provider protocol"));
}

}  // namespace agent_provider_config
