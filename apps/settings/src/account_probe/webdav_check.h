#pragma once
// The WebDAV half of the account server check: one authenticated PROPFIND of depth 0 asking for
// DAV:resourcetype, judged by the HTTP status alone.
#include <string>

#include "account_probe/account_check_outcome.h"
#include "account_probe/check_environment.h"
#include "orvo_secret/secret_string.h"

namespace settings::account_probe {

AccountCheckOutcome check_webdav_server(const std::string& url, const std::string& username,
                                        orvo_secret::SecretString password, const CheckEnvironment& environment);

}  // namespace settings::account_probe
