#pragma once
// Stand-ins for base-system programs: each stub appends its command line to a log, then prints the
// standard output and error it was given and exits with the given status (optionally after
// sleeping). While alive, PATH holds only the stubs' folder, so a program without a stub is missing.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace settings::panes::testing {

class StubPrograms {
 public:
  explicit StubPrograms(std::filesystem::path dir) : dir_(std::move(dir)), saved_path_(::getenv("PATH")) {
    std::filesystem::create_directories(dir_ / "bin");
    ::setenv("PATH", (dir_ / "bin").c_str(), 1);
  }
  ~StubPrograms() { ::setenv("PATH", saved_path_.c_str(), 1); }
  StubPrograms(const StubPrograms&) = delete;
  StubPrograms& operator=(const StubPrograms&) = delete;

  // Installs (or replaces) the stub `program`.
  void answer(std::string_view program, std::string_view standard_output, int status = 0,
              std::string_view standard_error = "", int sleep_seconds = 0) {
    const auto answers = dir_ / "answers" / program;
    std::filesystem::create_directories(answers);
    write(answers / "stdout", standard_output);
    write(answers / "stderr", standard_error);
    const auto script = dir_ / "bin" / program;
    std::ostringstream body;
    body << "#!/bin/sh\n"
         << "{ printf '%s' '" << program << "'; for a in \"$@\"; do printf ' %s' \"$a\"; done; echo; } >> '"
         << (dir_ / "log").string() << "'\n";
    if (sleep_seconds > 0) body << "/bin/sleep " << sleep_seconds << "\n";
    body << "/bin/cat '" << (answers / "stdout").string() << "'\n"
         << "/bin/cat '" << (answers / "stderr").string() << "' >&2\n"
         << "exit " << status << "\n";
    write(script, body.str());
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  }

  // Installs the stub `program` as the given shell script (a body after "#!/bin/sh").
  void script(std::string_view program, std::string_view body) {
    const auto path = dir_ / "bin" / program;
    write(path, "#!/bin/sh\n" + std::string(body));
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
  }

  const std::filesystem::path& dir() const { return dir_; }

  void remove(std::string_view program) { std::filesystem::remove(dir_ / "bin" / program); }

  // The command lines the stubs saw, in order ("systemctl is-enabled x.timer").
  std::vector<std::string> log() const {
    std::ifstream in(dir_ / "log");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  void clear_log() const { std::filesystem::remove(dir_ / "log"); }

 private:
  static void write(const std::filesystem::path& path, std::string_view content) {
    std::ofstream(path, std::ios::binary) << content;
  }
  std::filesystem::path dir_;
  std::string saved_path_;
};

}  // namespace settings::panes::testing
