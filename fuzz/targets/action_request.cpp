// An outside request: an encoded action address on the first line, the argument object after it.
// The address must decode to something that encodes back to the same text, and the arguments must
// either be refused with a message or accepted into a payload that is valid JSON.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include <nlohmann/json.hpp>

#include "orvo_actions/address.h"
#include "orvo_actions/action_constructors.h"

namespace {

const orvo_actions::ActionSpec& spec() {
  using orvo_actions::ActionParam;
  static const orvo_actions::ActionSpec s = orvo_actions::typed_operation_spec(
      "apply", "Apply", "", orvo_actions::OperationClass::Effect, "fuzz.operation",
      {ActionParam::boolean("value", "Enabled"),
       ActionParam::number("level", "Value").with_schema(nlohmann::ordered_json::parse(R"({"minimum":0.0,"maximum":1.0})")),
       ActionParam::text("choice", "Choice").with_choices({"a", "b"}),
       ActionParam::text("model", "Model").with_schema(nlohmann::ordered_json::parse(R"({"maxLength":8})")).optional()},
      [](const orvo_actions::ActionArgs& args) {
        return orvo_actions::EncodedAction{"fuzz.operation", args.to_json_text()};
      });
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  auto newline = input.find('\n');
  std::string_view address_text = input.substr(0, newline);
  std::string_view args_text = newline == std::string_view::npos ? std::string_view{} : input.substr(newline + 1);

  if (auto address = orvo_actions::ActionAddress::decode(address_text)) {
    if (address->encode() != address_text) __builtin_trap();
  }
  auto built = spec().build_json(args_text);
  if (built) {
    if (nlohmann::ordered_json::parse(built->payload, nullptr, false).is_discarded()) __builtin_trap();
    if (built->kind != "fuzz.operation") __builtin_trap();
  } else if (built.error().message.empty()) {
    __builtin_trap();
  }
  return 0;
}
