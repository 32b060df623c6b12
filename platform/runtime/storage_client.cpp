#include "runtime_fs/storage.h"

#include <algorithm>
#include <array>
#include <utility>

#include "orvo_json/json.h"

namespace runtime_fs::storage {

constexpr auto describe_json(orvo_json::Tag<SyncedFileState>) {
  return orvo_json::strict_record<SyncedFileState>("SyncedFileState", orvo_json::field("id", &SyncedFileState::id),
                                                   orvo_json::field("revision", &SyncedFileState::revision));
}

constexpr auto describe_json(orvo_json::Tag<SyncedFile>) {
  return orvo_json::strict_record<SyncedFile>("SyncedFile", orvo_json::field("display_path", &SyncedFile::display_path),
                                              orvo_json::field("reclaimable_bytes", &SyncedFile::reclaimable_bytes),
                                              orvo_json::field("state", &SyncedFile::state));
}

constexpr auto describe_json(orvo_json::Tag<SyncedUsage>) {
  return orvo_json::strict_record<SyncedUsage>("SyncedUsage", orvo_json::field("total", &SyncedUsage::total),
                                               orvo_json::field("local", &SyncedUsage::local),
                                               orvo_json::field("remote_only", &SyncedUsage::remote_only),
                                               orvo_json::field("safe_to_free", &SyncedUsage::safe_to_free));
}

constexpr auto describe_json(orvo_json::Tag<SyncedStorageSnapshot>) {
  return orvo_json::strict_record<SyncedStorageSnapshot>(
      "SyncedStorageSnapshot", orvo_json::field("files", &SyncedStorageSnapshot::files),
      orvo_json::field("usage", &SyncedStorageSnapshot::usage), orvo_json::field("online", &SyncedStorageSnapshot::online));
}

constexpr auto describe_json(orvo_json::Tag<EvictionSelection>) {
  return orvo_json::strict_record<EvictionSelection>("EvictionSelection", orvo_json::field("id", &EvictionSelection::id),
                                                     orvo_json::field("revision", &EvictionSelection::revision));
}

constexpr auto describe_json(orvo_json::Tag<EvictionReport>) {
  return orvo_json::strict_record<EvictionReport>("EvictionReport", orvo_json::field("queued", &EvictionReport::queued),
                                                  orvo_json::field("freed_files", &EvictionReport::freed_files),
                                                  orvo_json::field("freed_bytes", &EvictionReport::freed_bytes));
}

namespace {

struct SnapshotRequest {
  std::string op = "snapshot";
};
struct EvictRequest {
  std::string op = "evict";
  std::vector<EvictionSelection> selections;
};
struct ErrorResponse {
  std::string error;
};

constexpr auto describe_json(orvo_json::Tag<SnapshotRequest>) {
  return orvo_json::record<SnapshotRequest>("SnapshotRequest", orvo_json::field("op", &SnapshotRequest::op));
}
constexpr auto describe_json(orvo_json::Tag<EvictRequest>) {
  return orvo_json::record<EvictRequest>("EvictRequest", orvo_json::field("op", &EvictRequest::op),
                                         orvo_json::field("selections", &EvictRequest::selections));
}
constexpr auto describe_json(orvo_json::Tag<ErrorResponse>) {
  return orvo_json::strict_record<ErrorResponse>("ErrorResponse", orvo_json::field("error", &ErrorResponse::error));
}

// The response as the wanted record, or the service's refusal, or why it could not be read.
template <class T>
std::expected<T, std::string> decode_response(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return std::unexpected(std::string(kNoAnswer));
  // Only an object can be an answer; the array form of the records is not part of the exchange.
  if (text[first] != '{') return std::unexpected("The storage service sent an invalid answer: expected an object");
  if (auto refused = orvo_json::decode<ErrorResponse>(text)) {
    if (refused->error.empty()) return std::unexpected("The storage service reported a failure without a reason.");
    return std::unexpected(std::move(refused->error));
  }
  auto decoded = orvo_json::decode<T>(text);
  if (!decoded) return std::unexpected("The storage service sent an invalid answer: " + decoded.error().text());
  return std::move(*decoded);
}

}  // namespace

std::expected<SyncedStorageSnapshot, std::string> decode_snapshot_response(std::string_view text) {
  return decode_response<SyncedStorageSnapshot>(text);
}

std::expected<EvictionReport, std::string> decode_evict_response(std::string_view text) {
  return decode_response<EvictionReport>(text);
}

std::expected<std::string, std::string> StorageClient::exchange(const std::string& request) {
  std::string line = request;
  line += '\n';
  if (auto written = stream_.write_all(std::as_bytes(std::span(line))); !written) {
    return std::unexpected(std::move(written.error()));
  }
  stream_.finish_sending();
  std::string response;
  std::array<std::byte, 64 * 1024> buffer{};
  for (;;) {
    auto got = stream_.read_some(buffer);
    if (!got) return std::unexpected(std::move(got.error()));
    if (*got == 0) break;
    const auto* bytes = reinterpret_cast<const char*>(buffer.data());
    const auto* end = std::find(bytes, bytes + *got, '\n');
    response.append(bytes, end);
    if (response.size() > kResponseLimit) return std::unexpected("The storage service's answer is larger than 16 MiB.");
    if (end != bytes + *got) break;  // the end of the response line
  }
  return response;
}

std::expected<SyncedStorageSnapshot, std::string> StorageClient::snapshot() {
  auto response = exchange(orvo_json::encode(SnapshotRequest{}));
  if (!response) return std::unexpected(std::move(response.error()));
  return decode_snapshot_response(*response);
}

std::expected<EvictionReport, std::string> StorageClient::evict(std::vector<EvictionSelection> selections) {
  auto response = exchange(orvo_json::encode(EvictRequest{"evict", std::move(selections)}));
  if (!response) return std::unexpected(std::move(response.error()));
  return decode_evict_response(*response);
}

}  // namespace runtime_fs::storage
