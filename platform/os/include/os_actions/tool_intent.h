#pragma once
// Opening a desktop tool, optionally on one of its profiles. Each tool has one or more lines of
// `tools()`: a desktop entry id and the tool's name; the first line whose entry is installed is
// the one opened. The tool's entry is found in the applications directories and
// its Exec= command is started detached, in a session of its own, without a shell; the profile
// name is appended as one argument, a page of a tool as "--page=<n>". The call does not wait for the
// tool.
#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace os_actions::tool_intent {

enum class Tool { VpnStudio, WorkspaceSettings, Disks, Backups, IdentityBackup };

struct ToolIntent {
  ToolIntent(Tool tool = Tool::VpnStudio, std::optional<std::string> profile = std::nullopt,
             std::optional<std::uint8_t> page = std::nullopt)
      : tool(tool), profile(std::move(profile)), page(page) {}

  Tool tool;
  std::optional<std::string> profile;
  std::optional<std::uint8_t> page;
};

// The workspace settings opened on one page of the current workspace (2 access, 3 app rules).
ToolIntent workspace_page(std::uint8_t page);
// The identity backup tool, which makes an encrypted portable copy of the user's identity.
ToolIntent identity_backup();

struct ToolEntry {
  Tool tool;
  std::string_view desktop_id;
  std::string_view name;  // in sentences: "VPN Studio is not installed"
};

std::span<const ToolEntry> tools();

std::expected<void, std::string> open_tool(const ToolIntent& intent);

}  // namespace os_actions::tool_intent
