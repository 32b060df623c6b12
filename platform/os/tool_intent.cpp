#include "os_actions/tool_intent.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "desktop_entry/desktop_entry.h"

namespace os_actions::tool_intent {
namespace {

constexpr ToolEntry kTools[] = {
    {Tool::VpnStudio, "so.orvo.VpnStudio", "VPN Studio"},
    {Tool::WorkspaceSettings, "so.orvo.WorkspaceSettings", "Workspace Settings"},
    {Tool::Disks, "so.orvo.Disks", "Disks"},
    {Tool::Disks, "so.orvo.DiskUtility", "Disks"},
    {Tool::Backups, "so.orvo.Backups", "Backups"},
    {Tool::Backups, "so.orvo.BackupTool", "Backups"},
    {Tool::IdentityBackup, "so.orvo.IdentityBackup", "Identity Backup"},
};

// The program's path: as given when it names a path, else the first executable of that name on PATH.
std::optional<std::string> resolve(const std::string& program) {
  if (program.find('/') != std::string::npos) {
    if (::access(program.c_str(), X_OK) == 0) return program;
    return std::nullopt;
  }
  const char* path = std::getenv("PATH");
  std::string_view dirs = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  while (!dirs.empty()) {
    const auto colon = dirs.find(':');
    const std::string_view dir = dirs.substr(0, colon);
    dirs = colon == std::string_view::npos ? std::string_view() : dirs.substr(colon + 1);
    if (dir.empty()) continue;
    const std::string candidate = std::string(dir) + "/" + program;
    std::error_code ec;
    if (std::filesystem::is_regular_file(candidate, ec) && ::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return std::nullopt;
}

// Starts the program in a new session through an intermediate child that exits at once, so the
// program is nobody's child here and leaves no zombie. A failed exec is reported through a pipe
// that closes on a successful one.
std::expected<void, std::string> spawn_detached(const std::string& program, std::vector<std::string> arguments) {
  std::vector<char*> argv;
  for (auto& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return std::unexpected(std::string(std::strerror(errno)));
  const int null_fd = ::open("/dev/null", O_RDWR | O_CLOEXEC);

  const pid_t child = ::fork();
  if (child < 0) {
    const int error = errno;
    ::close(report[0]);
    ::close(report[1]);
    if (null_fd >= 0) ::close(null_fd);
    return std::unexpected(std::string(std::strerror(error)));
  }
  if (child == 0) {
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild == 0) {
      sigset_t none;
      sigemptyset(&none);
      ::sigprocmask(SIG_SETMASK, &none, nullptr);
      if (null_fd >= 0) {
        ::dup2(null_fd, STDIN_FILENO);
        ::dup2(null_fd, STDOUT_FILENO);
      }
      ::execv(program.c_str(), argv.data());
      const int error = errno;
      [[maybe_unused]] auto written = ::write(report[1], &error, sizeof error);
      ::_exit(127);
    }
    if (grandchild < 0) {
      const int error = errno;
      [[maybe_unused]] auto written = ::write(report[1], &error, sizeof error);
    }
    ::_exit(0);
  }
  ::close(report[1]);
  if (null_fd >= 0) ::close(null_fd);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int error = 0;
  ssize_t got = 0;
  do {
    got = ::read(report[0], &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  ::close(report[0]);
  if (got == static_cast<ssize_t>(sizeof error)) return std::unexpected(std::string(std::strerror(error)));
  return {};
}

}  // namespace

std::span<const ToolEntry> tools() { return kTools; }

ToolIntent workspace_page(std::uint8_t page) { return ToolIntent{Tool::WorkspaceSettings, std::nullopt, page}; }

ToolIntent identity_backup() { return ToolIntent{Tool::IdentityBackup}; }

std::expected<void, std::string> open_tool(const ToolIntent& intent) {
  const ToolEntry* tool = nullptr;
  std::optional<desktop_entry::DesktopEntry> entry;
  const auto dirs = desktop_entry::application_dirs();
  for (const auto& line : kTools) {
    if (line.tool != intent.tool) continue;
    if (tool == nullptr) tool = &line;
    if ((entry = desktop_entry::find(line.desktop_id, dirs))) break;
  }
  if (tool == nullptr) return std::unexpected(std::string("This tool is not installed"));
  const std::string name(tool->name);
  if (!entry) return std::unexpected(name + " is not installed");
  auto arguments = desktop_entry::exec_arguments(entry->exec);
  if (!arguments) return std::unexpected(name + " could not be started: its desktop entry has no usable command");
  const auto program = resolve(arguments->front());
  if (!program) return std::unexpected(name + " could not be started: " + arguments->front() + " was not found");
  if (intent.profile) arguments->push_back(*intent.profile);
  if (intent.page) arguments->push_back("--page=" + std::to_string(*intent.page));
  auto started = spawn_detached(*program, std::move(*arguments));
  if (!started) return std::unexpected(name + " could not be started: " + started.error());
  return {};
}

}  // namespace os_actions::tool_intent
