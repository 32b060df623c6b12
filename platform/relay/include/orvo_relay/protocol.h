#pragma once
// Small pieces of the relay protocol that the settings read: workspace ids of rooms, the relay
// service's metrics file, and the home peers paired with this device.
#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "orvo_identity/records.h"
#include "orvo_relay/config.h"

namespace orvo_relay_protocol {

// The workspace id of a room: the first 8 bytes of SHA-256 of the room text, big-endian. An empty
// text names no room.
std::expected<WorkspaceId, std::string> room_workspace_id(std::string_view room);

namespace metrics {

// What the relay service last reported, as the JSON object it wrote.
struct RelayMetrics {
  std::string json;
};

// "metrics.json" in `state_dir`: succeeds when it is a JSON object of at most 1 MiB.
std::expected<RelayMetrics, std::string> load_metrics(const std::filesystem::path& state_dir);

}  // namespace metrics

namespace home_peer {

// Where a peer can be reached on the mesh transport.
struct EndpointAddress {
  std::string node_id;
  std::optional<std::string> relay_url;
  std::vector<std::string> direct_addresses;
  bool operator==(const EndpointAddress&) const = default;
};

// A home server paired with this device, as the enrolment program records it.
struct HomePeerRegistration {
  std::uint32_t schema_version = 1;
  std::string device_node_id;
  std::string relay_service_node_id;
  EndpointAddress relay_endpoint;
  std::string label;
  orvo_user_identity::PublicKey user_public_key;
  orvo_user_identity::DeviceCert device_cert;
  std::vector<WorkspaceId> relay_workspace_ids;
  bool operator==(const HomePeerRegistration&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<EndpointAddress>) {
  using E = EndpointAddress;
  return orvo_json::record<E>("EndpointAddress", orvo_json::field("node_id", &E::node_id),
                              orvo_json::field("relay_url", &E::relay_url),
                              orvo_json::defaulted_field("direct_addresses", &E::direct_addresses));
}

constexpr auto describe_json(orvo_json::Tag<HomePeerRegistration>) {
  using H = HomePeerRegistration;
  return orvo_json::record<H>(
      "HomePeerRegistration", orvo_json::field("schema_version", &H::schema_version),
      orvo_json::field("device_node_id", &H::device_node_id),
      orvo_json::field("relay_service_node_id", &H::relay_service_node_id),
      orvo_json::field("relay_endpoint", &H::relay_endpoint), orvo_json::field("label", &H::label),
      orvo_json::field("user_public_key", &H::user_public_key), orvo_json::field("device_cert", &H::device_cert),
      orvo_json::field("relay_workspace_ids", &H::relay_workspace_ids));
}

// A name for a home peer: 1 to 64 characters once surrounding white space is trimmed, valid UTF-8,
// no control characters.
bool valid_home_peer_label(std::string_view label);

}  // namespace home_peer
}  // namespace orvo_relay_protocol
