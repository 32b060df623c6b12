#pragma once
// The IMAP half of the account server check: resolve, connect, TLS from the first byte, read the
// greeting, LOGIN, LOGOUT; every step bounded by its own limit.
#include <cstdint>
#include <string>

#include "account_probe/account_check_outcome.h"
#include "account_probe/check_environment.h"
#include "orvo_net/tls_client_config.h"
#include "orvo_secret/secret_string.h"

namespace settings::account_probe {

struct ImapProbeInput {
  std::string host;  // trimmed, not empty
  std::uint16_t port = 993;
  orvo_net::TlsClientConfig tls;
  orvo_net::ServerName server_name;
  std::string login;                  // trimmed, free of control characters
  orvo_secret::SecretString password;  // trimmed, free of control characters
};

// Runs the whole exchange on a single-threaded I/O context of its own and returns its outcome.
AccountCheckOutcome probe_account(const ImapProbeInput& input, const CheckEnvironment& environment);

// Appends an IMAP quoted string: backslash and double quote escaped. False, and nothing appended,
// when the text holds a carriage return or a line feed, which a quoted string cannot carry.
bool append_imap_quoted(orvo_secret::SecretString& out, std::string_view text);

}  // namespace settings::account_probe
