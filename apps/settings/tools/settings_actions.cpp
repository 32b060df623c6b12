// orvo-settings-actions: a developer tool for the settings actions.
//
//   orvo-settings-actions key KIND PAYLOAD
//       Runs the device-local operation reader by hand: prints the operation key.
//   orvo-settings-actions [--timeout SECONDS] tree
//       Prints the running application's resource tree as JSON.
//   orvo-settings-actions [--timeout SECONDS] invoke RESOURCE ACTION [JSON-ARGS]
//       Invokes an action of the running application and waits for the operation to finish
//       (30 seconds unless --timeout says otherwise; then it is cancelled). Prints its outcome.
//
// Exit status: 0 done; 1 refused or failed (the message goes to standard error); 2 no Settings
// application is running; 64 a wrong command line.
#include <charconv>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "actions/device_local_operation.h"
#include "entry.h"
#include "orvo_json/json.h"
#include "orvo_ui/action_door.h"
#include "orvo_ui/action_door_client.h"

namespace {

using Json = nlohmann::ordered_json;

constexpr int kDone = 0;
constexpr int kRefused = 1;
constexpr int kNoApplication = 2;
constexpr int kUsage = 64;

constexpr long kDefaultTimeoutSeconds = 30;
// The door answers a timed-out invocation itself; the client waits this much longer for that answer.
constexpr std::chrono::milliseconds kAnswerGrace{5000};

int usage(std::string_view problem = {}) {
  if (!problem.empty()) std::fprintf(stderr, "orvo-settings-actions: %.*s\n", int(problem.size()), problem.data());
  std::fputs(
      "usage: orvo-settings-actions key KIND PAYLOAD\n"
      "       orvo-settings-actions [--timeout SECONDS] tree\n"
      "       orvo-settings-actions [--timeout SECONDS] invoke RESOURCE ACTION [JSON-ARGS]\n"
      "exit status: 0 done, 1 refused or failed, 2 no Settings application running, 64 wrong command line\n",
      stderr);
  return kUsage;
}

int fail(std::string_view message) {
  std::fprintf(stderr, "%.*s\n", int(message.size()), message.data());
  return kRefused;
}

int run_key(const std::vector<std::string_view>& args) {
  if (args.size() != 3) return usage();
  auto key = settings::actions::parse_device_local_operation(args[1], args[2]);
  if (!key) return fail(key.error());
  std::printf("%s\n", key->c_str());
  return kDone;
}

// Sends one request to the running application; the answer, or the exit status to end with.
std::expected<Json, int> ask(const Json& request, std::chrono::milliseconds limit) {
  auto socket = orvo_ui::door::socket_path(settings::kAppId);
  if (!socket) {
    std::fprintf(stderr, "no running Settings application: %s\n", socket.error().c_str());
    return std::unexpected(kNoApplication);
  }
  auto line = orvo_ui::door::exchange(*socket, orvo_json::value_text(request), limit);
  if (!line) {
    std::fprintf(stderr, "%s\n", line.error().message.c_str());
    const bool absent = line.error().kind == orvo_ui::door::ClientError::Kind::NoApplication;
    return std::unexpected(absent ? kNoApplication : kRefused);
  }
  Json answer = Json::parse(*line, nullptr, false);
  if (!answer.is_object()) {
    std::fprintf(stderr, "unreadable answer from the application: %s\n", line->c_str());
    return std::unexpected(kRefused);
  }
  if (auto error = answer.find("error"); error != answer.end() && error->is_string()) {
    return std::unexpected(fail(error->get<std::string>()));
  }
  return answer;
}

int run_tree(std::chrono::seconds timeout) {
  auto answer = ask(Json{{"request", "tree"}}, timeout);
  if (!answer) return answer.error();
  auto resources = answer->find("resources");
  if (resources == answer->end()) return fail("the application's answer holds no resources");
  std::printf("%s\n", resources->dump(2, ' ', false, Json::error_handler_t::replace).c_str());
  return kDone;
}

int run_invoke(const std::vector<std::string_view>& args, std::chrono::seconds timeout) {
  if (args.size() != 3 && args.size() != 4) return usage();
  Json arguments = Json::object();
  if (args.size() == 4) {
    arguments = Json::parse(args[3], nullptr, false);
    if (!arguments.is_object()) return usage("JSON-ARGS must be a JSON object, for example {\"value\":true}");
  }
  Json request = Json::object();
  request["request"] = "invoke";
  request["resource"] = args[1];
  request["action"] = args[2];
  request["arguments"] = std::move(arguments);
  request["timeout_ms"] = std::chrono::milliseconds(timeout).count();
  auto answer = ask(request, timeout + kAnswerGrace);
  if (!answer) return answer.error();
  const std::string message = answer->value("message", std::string());
  if (answer->value("ok", false)) {
    std::printf("%s\n", message.c_str());
    return kDone;
  }
  return fail(message.empty() ? "the application refused the request" : message);
}

std::optional<std::chrono::seconds> parse_seconds(std::string_view text) {
  long value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  if (value < 1 || value > orvo_ui::door::kMaxTimeoutMillis / 1000) return std::nullopt;
  return std::chrono::seconds(value);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string_view> args(argv + 1, argv + argc);
  if (!args.empty() && args[0] == "key") return run_key(args);

  std::chrono::seconds timeout{kDefaultTimeoutSeconds};
  if (args.size() >= 2 && args[0] == "--timeout") {
    auto seconds = parse_seconds(args[1]);
    if (!seconds) return usage("--timeout takes a whole number of seconds from 1 to 3600");
    timeout = *seconds;
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.empty()) return usage();
  if (args[0] == "tree") return args.size() == 1 ? run_tree(timeout) : usage();
  if (args[0] == "invoke") return run_invoke(args, timeout);
  return usage();
}
