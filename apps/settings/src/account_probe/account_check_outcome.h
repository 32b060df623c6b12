#pragma once
// The answer of the account server check: success or failure, each with one sentence to show.
#include <string>
#include <utility>

namespace settings::account_probe {

struct AccountCheckOutcome {
  enum class Kind { Success, Failure };

  Kind kind = Kind::Failure;
  std::string message;

  static AccountCheckOutcome success(std::string message) { return {Kind::Success, std::move(message)}; }
  static AccountCheckOutcome failure(std::string message) { return {Kind::Failure, std::move(message)}; }
  bool succeeded() const { return kind == Kind::Success; }

  friend bool operator==(const AccountCheckOutcome&, const AccountCheckOutcome&) = default;
};

}  // namespace settings::account_probe
