#include "collab_types/caps.h"

#include <gtest/gtest.h>

namespace collab_types::caps {
namespace {

std::string document_with(const std::string& override_json) {
  return R"({"workspaces":[{"name":"Studio","room":"r1","capabilities":[)" + override_json + "]}]}";
}

constexpr const char* kMinimal = R"({"subject":{"Role":"Viewer"},"scope":"Workspace","effect":"Grant","verb":"Read"})";

TEST(CapabilityDocument, EdgeCases) {
  const struct {
    const char* name;
    std::string text;
    const char* error;  // null: decodes
  } cases[] = {
      {"minimal override", document_with(kMinimal), nullptr},
      {"an eighth member", document_with(R"({"subject":{"Role":"Viewer"},"scope":"Workspace","effect":"Grant",)"
                                         R"("verb":"Read","id":"","expiry":"Never","granted_by":null,"note":1})"),
       "unknown field `note`, expected one of `subject`, `scope`, `effect`, `verb`, `id`, `expiry`, `granted_by`"},
      {"action scope with a third member",
       document_with(R"({"subject":{"Role":"Viewer"},"scope":{"Action":{"app":"a","action":"b","x":1}},)"
                     R"("effect":"Grant","verb":"Read"})"),
       "unknown field `x`, expected `app` or `action`"},
      {"action scope without action",
       document_with(R"({"subject":{"Role":"Viewer"},"scope":{"Action":{"app":"a"}},"effect":"Grant","verb":"Read"})"),
       "missing field `action`"},
      {"resource instance that is not a UUID",
       document_with(R"({"subject":{"Role":"Viewer"},"scope":{"ResourceInstance":"nope"},"effect":"Grant","verb":"Read"})"),
       "invalid UUID `nope`"},
      {"workspace without capabilities", R"({"workspaces":[{"name":"Empty"}],"other":true})", nullptr},
      {"document without workspaces", R"({"version":3})", nullptr},
      {"unknown variant", document_with(R"({"subject":{"Role":"Guest"},"scope":"Workspace","effect":"Grant","verb":"Read"})"),
       "unknown variant `Guest`, expected one of `Owner`, `Editor`, `Commenter`, `Viewer`, `Denied`"},
  };
  for (const auto& c : cases) {
    const auto document = decode_capability_document(c.text);
    if (c.error == nullptr) {
      EXPECT_TRUE(document.has_value()) << c.name << ": " << document.error();
    } else {
      ASSERT_FALSE(document.has_value()) << c.name;
      EXPECT_EQ(document.error().rfind(c.error, 0), 0u) << c.name << ": " << document.error();
    }
  }

  const auto minimal = decode_capability_document(document_with(kMinimal)).value();
  ASSERT_EQ(minimal.workspaces.size(), 1u);
  EXPECT_EQ(minimal.workspaces[0].name, "Studio");
  const auto& cap = minimal.workspaces[0].capabilities.at(0);
  EXPECT_EQ(cap.subject, Subject(subject::Role{Role::Viewer}));
  EXPECT_EQ(cap.id, "");
  EXPECT_EQ(cap.expiry, Expiry(expiry::Never{}));
  EXPECT_FALSE(cap.granted_by.has_value());
  EXPECT_TRUE(decode_capability_document(R"({"workspaces":[{"name":"Empty"}]})").value().workspaces[0].capabilities.empty());
  EXPECT_TRUE(decode_capability_document(R"({"version":3})").value().workspaces.empty());
}

TEST(CapabilityDocument, EveryFormRoundTrips) {
  CapOverride full;
  full.subject = subject::Principal{principal::Agent{"summariser"}};
  full.scope = scope::ResourceInstance{Uuid::parse("0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0").value()};
  full.effect = Effect::Restrict;
  full.verb = Verb::Admin;
  full.id = "cap-1";
  full.expiry = expiry::AtUnix{1'700'000'000};
  full.granted_by = principal::Person{"ada"};
  const std::string text = orvo_json::encode(full);
  EXPECT_EQ(text, R"({"subject":{"Principal":{"Agent":"summariser"}},)"
                  R"("scope":{"ResourceInstance":"0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0"},"effect":"Restrict",)"
                  R"("verb":"Admin","id":"cap-1","expiry":{"AtUnix":1700000000},"granted_by":{"Person":"ada"}})");
  EXPECT_EQ(orvo_json::decode<CapOverride>(text).value(), full);

  const Scope scopes[] = {scope::Workspace{}, scope::App{"mail"}, scope::ResourceType{ResourceType::ChatLog},
                          scope::FsPath{"/home"}, scope::Device{"d1"}, scope::NetHost{"example.org"},
                          scope::Action{"mail", "send"}, scope::Room{"r"}, scope::FsRecord{"f"}};
  for (const auto& s : scopes) {
    CapOverride cap;
    cap.subject = subject::User{};
    cap.scope = s;
    cap.expiry = expiry::AfterUse{};
    EXPECT_EQ(orvo_json::decode<CapOverride>(orvo_json::encode(cap)).value(), cap) << orvo_json::encode(cap);
  }
  EXPECT_EQ(orvo_json::decode<CapOverride>(
                R"([{"Role":"Owner"},"Workspace","Grant","Write","x","EndOfSession",{"Room":"r"}])")
                .value()
                .granted_by,
            std::optional<Principal>(principal::Room{"r"}));
  EXPECT_EQ(Uuid::parse("0f1e2d3c4b5a69788796a5b4c3d2e1f0"), Uuid::parse("0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0"));
  EXPECT_FALSE(Uuid::parse("0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1fg").has_value());
  EXPECT_FALSE(Uuid::parse("0f1e2d3c+4b5a-6978-8796-a5b4c3d2e1f0").has_value());
}

}  // namespace
}  // namespace collab_types::caps
