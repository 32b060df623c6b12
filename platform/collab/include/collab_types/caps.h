#pragma once
// Capability overrides of shared workspaces: a grant or a restriction of one verb for one subject on
// one scope, with an expiry. Enumerations are externally tagged ("Grant", {"AtUnix": 1700000000},
// {"Role": "Viewer"}); a `CapOverride` is strict (an unknown member is an error) and is also read as
// an array in member order. The workspace lists around them ignore members they do not know, since
// the workspace state document carries data for other readers too.
#include <array>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "orvo_identity/records.h"
#include "orvo_json/json.h"

namespace collab_types::caps {

enum class Effect : std::uint8_t { Grant, Restrict };
enum class Verb : std::uint8_t { Read, Comment, Write, Invite, Admin };
enum class Role : std::uint8_t { Owner, Editor, Commenter, Viewer, Denied };
enum class ResourceType : std::uint8_t { Note, File, Cluster, Kanban, ChatLog };

namespace expiry {
struct Never {
  bool operator==(const Never&) const = default;
};
struct AtUnix {
  std::int64_t seconds = 0;
  bool operator==(const AtUnix&) const = default;
};
struct EndOfSession {
  bool operator==(const EndOfSession&) const = default;
};
struct AfterUse {
  bool operator==(const AfterUse&) const = default;
};
}  // namespace expiry
struct Expiry : std::variant<expiry::Never, expiry::AtUnix, expiry::EndOfSession, expiry::AfterUse> {
  using variant::variant;
};

namespace principal {
struct Person {
  std::string id;
  bool operator==(const Person&) const = default;
};
struct App {
  std::string id;
  bool operator==(const App&) const = default;
};
struct Agent {
  std::string id;
  bool operator==(const Agent&) const = default;
};
struct Token {
  std::string id;
  bool operator==(const Token&) const = default;
};
struct Room {
  std::string id;
  bool operator==(const Room&) const = default;
};
}  // namespace principal
struct Principal
    : std::variant<principal::Person, principal::App, principal::Agent, principal::Token, principal::Room> {
  using variant::variant;
};

namespace subject {
struct Role {
  caps::Role role = caps::Role::Viewer;
  bool operator==(const Role&) const = default;
};
struct User {
  orvo_user_identity::PublicKey key;
  bool operator==(const User&) const = default;
};
struct Principal {
  caps::Principal principal;
  bool operator==(const Principal&) const = default;
};
}  // namespace subject
struct Subject : std::variant<subject::Role, subject::User, subject::Principal> {
  using variant::variant;
};

// A UUID, read from its hyphenated or 32-digit form and written hyphenated in lower case.
struct Uuid {
  std::array<std::uint8_t, 16> bytes{};
  static std::optional<Uuid> parse(std::string_view text);
  std::string text() const;
  bool operator==(const Uuid&) const = default;
};

namespace scope {
struct Workspace {
  bool operator==(const Workspace&) const = default;
};
struct App {
  std::string app_id;
  bool operator==(const App&) const = default;
};
struct ResourceType {
  caps::ResourceType type = caps::ResourceType::Note;
  bool operator==(const ResourceType&) const = default;
};
struct ResourceInstance {
  Uuid id;
  bool operator==(const ResourceInstance&) const = default;
};
struct FsPath {
  std::string path;
  bool operator==(const FsPath&) const = default;
};
struct Device {
  std::string device_id;
  bool operator==(const Device&) const = default;
};
struct NetHost {
  std::string host;
  bool operator==(const NetHost&) const = default;
};
struct Action {
  std::string app;
  std::string action;
  bool operator==(const Action&) const = default;
};
struct Room {
  std::string room_id;
  bool operator==(const Room&) const = default;
};
struct FsRecord {
  std::string record_id;
  bool operator==(const FsRecord&) const = default;
};
}  // namespace scope
struct Scope : std::variant<scope::Workspace, scope::App, scope::ResourceType, scope::ResourceInstance, scope::FsPath,
                            scope::Device, scope::NetHost, scope::Action, scope::Room, scope::FsRecord> {
  using variant::variant;
};

struct CapOverride {
  Subject subject;
  Scope scope;
  Effect effect = Effect::Grant;
  Verb verb = Verb::Read;
  std::string id;
  Expiry expiry;
  std::optional<Principal> granted_by;
  bool operator==(const CapOverride&) const = default;
};

struct WorkspaceCapabilities {
  std::string name;
  std::vector<CapOverride> capabilities;
  bool operator==(const WorkspaceCapabilities&) const = default;
};

struct WorkspaceCapabilityDocument {
  std::vector<WorkspaceCapabilities> workspaces;
  bool operator==(const WorkspaceCapabilityDocument&) const = default;
};

// The document or the decoder's error text; one bad override anywhere fails the whole document.
std::expected<WorkspaceCapabilityDocument, std::string> decode_capability_document(std::string_view text);

// JSON descriptions.

constexpr auto describe_json(orvo_json::Tag<Effect>) {
  return orvo_json::unit_enum<Effect>("Effect", {{"Grant", Effect::Grant}, {"Restrict", Effect::Restrict}});
}
constexpr auto describe_json(orvo_json::Tag<Verb>) {
  return orvo_json::unit_enum<Verb>("Verb", {{"Read", Verb::Read},
                                             {"Comment", Verb::Comment},
                                             {"Write", Verb::Write},
                                             {"Invite", Verb::Invite},
                                             {"Admin", Verb::Admin}});
}
constexpr auto describe_json(orvo_json::Tag<Role>) {
  return orvo_json::unit_enum<Role>("Role", {{"Owner", Role::Owner},
                                             {"Editor", Role::Editor},
                                             {"Commenter", Role::Commenter},
                                             {"Viewer", Role::Viewer},
                                             {"Denied", Role::Denied}});
}
constexpr auto describe_json(orvo_json::Tag<ResourceType>) {
  return orvo_json::unit_enum<ResourceType>("ResourceType", {{"Note", ResourceType::Note},
                                                             {"File", ResourceType::File},
                                                             {"Cluster", ResourceType::Cluster},
                                                             {"Kanban", ResourceType::Kanban},
                                                             {"ChatLog", ResourceType::ChatLog}});
}

// Wrappers written as their one member; each described in its own namespace, where lookup finds it.
namespace expiry {
constexpr auto describe_json(orvo_json::Tag<AtUnix>) { return orvo_json::transparent(&AtUnix::seconds); }
}  // namespace expiry
namespace principal {
constexpr auto describe_json(orvo_json::Tag<Person>) { return orvo_json::transparent(&Person::id); }
constexpr auto describe_json(orvo_json::Tag<App>) { return orvo_json::transparent(&App::id); }
constexpr auto describe_json(orvo_json::Tag<Agent>) { return orvo_json::transparent(&Agent::id); }
constexpr auto describe_json(orvo_json::Tag<Token>) { return orvo_json::transparent(&Token::id); }
constexpr auto describe_json(orvo_json::Tag<Room>) { return orvo_json::transparent(&Room::id); }
}  // namespace principal
namespace subject {
constexpr auto describe_json(orvo_json::Tag<Role>) { return orvo_json::transparent(&Role::role); }
constexpr auto describe_json(orvo_json::Tag<User>) { return orvo_json::transparent(&User::key); }
constexpr auto describe_json(orvo_json::Tag<Principal>) { return orvo_json::transparent(&Principal::principal); }
}  // namespace subject
namespace scope {
constexpr auto describe_json(orvo_json::Tag<App>) { return orvo_json::transparent(&App::app_id); }
constexpr auto describe_json(orvo_json::Tag<ResourceType>) { return orvo_json::transparent(&ResourceType::type); }
constexpr auto describe_json(orvo_json::Tag<ResourceInstance>) { return orvo_json::transparent(&ResourceInstance::id); }
constexpr auto describe_json(orvo_json::Tag<FsPath>) { return orvo_json::transparent(&FsPath::path); }
constexpr auto describe_json(orvo_json::Tag<Device>) { return orvo_json::transparent(&Device::device_id); }
constexpr auto describe_json(orvo_json::Tag<NetHost>) { return orvo_json::transparent(&NetHost::host); }
constexpr auto describe_json(orvo_json::Tag<Room>) { return orvo_json::transparent(&Room::room_id); }
constexpr auto describe_json(orvo_json::Tag<FsRecord>) { return orvo_json::transparent(&FsRecord::record_id); }
}  // namespace scope

struct UuidDescription {
  void encode(orvo_json::Writer& w, const Uuid& value) const { w.string(value.text()); }
  Uuid decode(orvo_json::Reader& r) const {
    const std::string text = orvo_json::Codec<std::string>::decode(r);
    if (auto uuid = Uuid::parse(text)) return *uuid;
    r.fail("invalid UUID `" + text + "`");
  }
};
constexpr auto describe_json(orvo_json::Tag<Uuid>) { return UuidDescription{}; }

constexpr auto describe_json(orvo_json::Tag<Expiry>) {
  using namespace expiry;
  return orvo_json::externally_tagged<Expiry>("Expiry", orvo_json::unit_variant<Never>("Never"),
                                              orvo_json::newtype_variant<AtUnix>("AtUnix"),
                                              orvo_json::unit_variant<EndOfSession>("EndOfSession"),
                                              orvo_json::unit_variant<AfterUse>("AfterUse"));
}

constexpr auto describe_json(orvo_json::Tag<Principal>) {
  using namespace principal;
  return orvo_json::externally_tagged<Principal>(
      "Principal", orvo_json::newtype_variant<Person>("Person"), orvo_json::newtype_variant<App>("App"),
      orvo_json::newtype_variant<Agent>("Agent"), orvo_json::newtype_variant<Token>("Token"),
      orvo_json::newtype_variant<Room>("Room"));
}

constexpr auto describe_json(orvo_json::Tag<Subject>) {
  return orvo_json::externally_tagged<Subject>("Subject", orvo_json::newtype_variant<subject::Role>("Role"),
                                               orvo_json::newtype_variant<subject::User>("User"),
                                               orvo_json::newtype_variant<subject::Principal>("Principal"));
}

constexpr auto describe_json(orvo_json::Tag<Scope>) {
  using orvo_json::newtype_variant;
  return orvo_json::externally_tagged<Scope>(
      "Scope", orvo_json::unit_variant<scope::Workspace>("Workspace"), newtype_variant<scope::App>("App"),
      newtype_variant<scope::ResourceType>("ResourceType"), newtype_variant<scope::ResourceInstance>("ResourceInstance"),
      newtype_variant<scope::FsPath>("FsPath"), newtype_variant<scope::Device>("Device"),
      newtype_variant<scope::NetHost>("NetHost"),
      orvo_json::strict_struct_variant("Action", orvo_json::field("app", &scope::Action::app),
                                       orvo_json::field("action", &scope::Action::action)),
      newtype_variant<scope::Room>("Room"), newtype_variant<scope::FsRecord>("FsRecord"));
}

constexpr auto describe_json(orvo_json::Tag<CapOverride>) {
  using C = CapOverride;
  return orvo_json::strict_record<C>("CapOverride", orvo_json::field("subject", &C::subject),
                                     orvo_json::field("scope", &C::scope), orvo_json::field("effect", &C::effect),
                                     orvo_json::field("verb", &C::verb), orvo_json::defaulted_field("id", &C::id),
                                     orvo_json::defaulted_field("expiry", &C::expiry),
                                     orvo_json::field("granted_by", &C::granted_by));
}

constexpr auto describe_json(orvo_json::Tag<WorkspaceCapabilities>) {
  using W = WorkspaceCapabilities;
  return orvo_json::record<W>("WorkspaceCapabilities", orvo_json::defaulted_field("name", &W::name),
                              orvo_json::defaulted_field("capabilities", &W::capabilities));
}

constexpr auto describe_json(orvo_json::Tag<WorkspaceCapabilityDocument>) {
  return orvo_json::record<WorkspaceCapabilityDocument>(
      "WorkspaceCapabilityDocument", orvo_json::defaulted_field("workspaces", &WorkspaceCapabilityDocument::workspaces));
}

}  // namespace collab_types::caps
