#pragma once
// Runs a program of this build as a child with a chosen environment, its output in files, so a test
// can keep the interface thread busy while the child runs.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace settings::door_tests {

// The current environment with some variables set (a value) or removed (none).
inline std::vector<std::string> environment_with(const std::map<std::string, std::optional<std::string>>& changes) {
  std::vector<std::string> out;
  for (char** entry = environ; *entry; ++entry) {
    std::string text(*entry);
    if (!changes.contains(text.substr(0, text.find('=')))) out.push_back(text);
  }
  for (const auto& [name, value] : changes) {
    if (value) out.push_back(name + "=" + *value);
  }
  return out;
}

inline std::string read_file(const std::filesystem::path& path) {
  std::stringstream text;
  text << std::ifstream(path).rdbuf();
  return text.str();
}

class ChildProcess {
 public:
  // Starts the program; its standard output and error go to files in `dir`.
  ChildProcess(const std::string& program, const std::vector<std::string>& args, const std::vector<std::string>& env,
               const std::filesystem::path& dir)
      : out_(dir / "child.out"), err_(dir / "child.err") {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& entry : env) envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~ChildProcess() {
    if (pid_ > 0 && !status_) {
      ::kill(pid_, SIGKILL);
      (void)wait();
    }
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }
  void signal(int number) const { ::kill(pid_, number); }

  // The exit status once the child has ended (-1 when a signal ended it); calls `meanwhile` while
  // waiting. None when it is still running after `limit`.
  std::optional<int> wait(std::function<void()> meanwhile = {},
                          std::chrono::milliseconds limit = std::chrono::seconds(60)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!status_) {
      int raw = 0;
      pid_t done = ::waitpid(pid_, &raw, WNOHANG);
      if (done == pid_) {
        status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        break;
      }
      if (done < 0 || std::chrono::steady_clock::now() > deadline) return std::nullopt;
      if (meanwhile) meanwhile();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return status_;
  }

  std::string out() const { return read_file(out_); }
  std::string err() const { return read_file(err_); }

 private:
  std::filesystem::path out_;
  std::filesystem::path err_;
  pid_t pid_ = -1;
  std::optional<int> status_;
};

}  // namespace settings::door_tests
