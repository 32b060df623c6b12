#include <gtest/gtest.h>

#include "orvo_actions/address.h"
#include "orvo_actions/registry.h"

namespace {

class NamedHandler : public orvo_actions::NamespaceHandler {
 public:
  explicit NamedHandler(std::string tag) : tag_(std::move(tag)) {}
  std::expected<std::string, std::string> decode(std::string_view) const override { return tag_; }

 private:
  std::string tag_;
};

TEST(ActionRegistry, RegisteringANamespaceAgainReplacesTheHandler) {
  orvo_actions::ActionRegistry registry;
  registry.register_namespace("settings.action", std::make_unique<NamedHandler>("first"));
  registry.register_namespace("settings.action", std::make_unique<NamedHandler>("second"));
  EXPECT_EQ(registry.size(), 1u);
  ASSERT_TRUE(registry.contains("settings.action"));
  EXPECT_EQ(registry.find("settings.action")->decode("{}").value(), "second");
  EXPECT_EQ(registry.find("other"), nullptr);
}

TEST(ActionAddress, EncodeRoundTrips) {
  const orvo_actions::ActionAddress cases[] = {
      {"settings.section:network", "open"},
      {"a/b:c", "x:y/z"},
      {"100% #1", "é#%"},
      {"", ""},
  };
  for (const auto& address : cases) {
    auto decoded = orvo_actions::ActionAddress::decode(address.encode());
    ASSERT_TRUE(decoded) << address.encode();
    EXPECT_EQ(*decoded, address);
  }
  EXPECT_FALSE(orvo_actions::ActionAddress::decode("no-separator"));
  EXPECT_FALSE(orvo_actions::ActionAddress::decode("a#b#c"));
  EXPECT_FALSE(orvo_actions::ActionAddress::decode("bad%zz#x"));
}

}  // namespace
