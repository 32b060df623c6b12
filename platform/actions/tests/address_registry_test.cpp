#include <gtest/gtest.h>

#include "orvo_actions/address.h"
#include "orvo_actions/typed_action_history.h"
#include "orvo_doc/document.h"
#include "orvo_actions/registry.h"
#include "orvo_actions/resource.h"

namespace orvo_actions {
namespace {

class NamedAction : public TypedAction {
 public:
  explicit NamedAction(std::string tag) : tag_(std::move(tag)) {}
  std::string debug() const override { return tag_; }
  std::expected<void, ActionError> apply_to_document(orvo_doc::Document& document) const override {
    if (tag_ == "refuse") return std::unexpected(ActionError::refused("settings target is stale"));
    if (!document.put(orvo_doc::kRoot, "applied", orvo_doc::ScalarValue::str(tag_))) {
      return std::unexpected(ActionError::document("put failed"));
    }
    return {};
  }

 private:
  std::string tag_;
};

class NamedHandler : public NamespaceHandler {
 public:
  explicit NamedHandler(std::string tag) : tag_(std::move(tag)) {}
  std::expected<std::unique_ptr<TypedAction>, ActionError> decode(std::string_view payload) const override {
    if (payload.empty()) return std::unexpected(ActionError::decoding("settings.action", "EOF while parsing"));
    return std::make_unique<NamedAction>(tag_ + ":" + std::string(payload));
  }

 private:
  std::string tag_;
};

TEST(ActionRegistry, RegisteringANamespaceAgainReplacesTheHandler) {
  ActionRegistry registry;
  registry.register_namespace("settings.action", std::make_unique<NamedHandler>("first"));
  registry.register_namespace("settings.action", std::make_unique<NamedHandler>("second"));
  EXPECT_EQ(registry.size(), 1u);
  ASSERT_TRUE(registry.contains("settings.action"));
  EXPECT_EQ(registry.decode({"settings.action", "1"}).value()->debug(), "second:1");
  EXPECT_EQ(registry.find("other"), nullptr);

  auto unknown = registry.decode({"other", "1"});
  ASSERT_FALSE(unknown);
  EXPECT_EQ(unknown.error().display(), "no decoder is registered for the action namespace other");
  EXPECT_EQ(registry.decode({"settings.action", ""}).error().display(),
            "could not decode a settings.action action: EOF while parsing");
}

TEST(Executor, AnswersTheActionsOwnRefusalAndKeepsTheContextOnSuccess) {
  orvo_doc::Document document;
  auto refused = dispatch_by(document, NamedAction("refuse"), {"settings.action", "{}"}, {}, {1, 2});
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().display(), "settings target is stale");
  EXPECT_EQ(document.pending_ops(), 0u);

  ActionContext context{"Set setting", {}, ActionApplication{"org.orvo.Settings", "Settings"}, {}, {}};
  auto done = dispatch_by_with_context(document, NamedAction("ok"), {"settings.action", "{}"}, {}, {7}, context);
  ASSERT_TRUE(done);
  EXPECT_EQ(done->actor, std::vector<std::uint8_t>{7});
  EXPECT_EQ(done->context, context);
  EXPECT_EQ(document.pending_ops(), 1u);
}

TEST(TypedActionHistory, RecordedHeadsLastUntilTheChangeIsReported) {
  orvo_doc::Document document;
  orvo_doc::Document other;
  take_typed_action_reports();
  EXPECT_FALSE(typed_action_before(document));

  ASSERT_TRUE(document.put(orvo_doc::kRoot, "a", orvo_doc::ScalarValue::str("1")));
  Heads before = document.get_heads();
  record_typed_action_before(document, before);
  EXPECT_EQ(typed_action_before(document), before);
  EXPECT_FALSE(typed_action_before(other));

  ASSERT_TRUE(document.put(orvo_doc::kRoot, "a", orvo_doc::ScalarValue::str("2")));
  Heads after = document.get_heads();
  report_typed_action(document, before, after);
  EXPECT_FALSE(typed_action_before(document));
  EXPECT_EQ(take_typed_action_reports(), (std::vector<TypedActionReport>{{&document, before, after}}));
  EXPECT_TRUE(take_typed_action_reports().empty());
}

TEST(ActionAddress, EncodeRoundTrips) {
  const ActionAddress cases[] = {
      {"settings.section:network", "open"},
      {"a/b:c", "x:y/z"},
      {"settings.bluetooth-device:/org/bluez/hci0/dev_00_11", "connect"},
      {"100% #1", "é#%"},
      {"日本語:キーボード", "set/選択"},
      {"", ""},
  };
  for (const auto& address : cases) {
    auto decoded = ActionAddress::decode(address.encode());
    ASSERT_TRUE(decoded) << address.encode();
    EXPECT_EQ(*decoded, address);
  }
  EXPECT_FALSE(ActionAddress::decode("no-separator"));
  EXPECT_FALSE(ActionAddress::decode("a#b#c"));
  EXPECT_FALSE(ActionAddress::decode("bad%zz#x"));
}

TEST(Resource, MakeStartsEmptyAndFindWalksInPreOrder) {
  Resource bare = Resource::make("settings.root", "settings.root", "Settings");
  EXPECT_TRUE(bare.actions.empty());
  EXPECT_TRUE(bare.children.empty());
  EXPECT_TRUE(bare.related_ids.empty());
  EXPECT_FALSE(bare.description);

  Resource tree = std::move(bare)
                      .with_child(Resource::make("a", "k", "first a").with_child(Resource::make("dup", "k", "deep")))
                      .with_child(Resource::make("dup", "k", "shallow"));
  EXPECT_EQ(tree.find("settings.root"), &tree);
  EXPECT_EQ(tree.find("dup")->title, "deep");
  EXPECT_EQ(tree.find("missing"), nullptr);
}

}  // namespace
}  // namespace orvo_actions
