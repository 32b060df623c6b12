#pragma once
// A stand-in for the local model manager, first on PATH: it writes each argument on a line of its
// own (so an argument with spaces stays one), prints the file $MODEL_STUB_OUTPUT and the file
// $MODEL_STUB_ERROR to standard error, then kills itself with $MODEL_STUB_SIGNAL or exits with
// $MODEL_STUB_STATUS.
#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "harness/stub_programs.h"

namespace settings::panes::testing {

class ModelManagerStub {
 public:
  explicit ModelManagerStub(const std::filesystem::path& dir) : stubs_(dir) {
    stubs_.script("orvo-model-manager",
                  "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$MODEL_STUB_ARGS\"\n"
                  "[ -n \"$MODEL_STUB_SLEEP\" ] && [ \"$1\" = \"$MODEL_STUB_SLEEP_VERB\" ] && "
                  "/bin/sleep \"$MODEL_STUB_SLEEP\"\n"
                  "[ -n \"$MODEL_STUB_OUTPUT\" ] && /bin/cat \"$MODEL_STUB_OUTPUT\"\n"
                  "[ -n \"$MODEL_STUB_ERROR\" ] && /bin/cat \"$MODEL_STUB_ERROR\" >&2\n"
                  "[ -n \"$MODEL_STUB_SIGNAL\" ] && kill -\"$MODEL_STUB_SIGNAL\" $$\n"
                  "exit \"${MODEL_STUB_STATUS:-0}\"\n");
    ::setenv("MODEL_STUB_ARGS", (dir / "args").c_str(), 1);
    answer("");
  }
  ~ModelManagerStub() {
    for (const char* name : {"MODEL_STUB_ARGS", "MODEL_STUB_OUTPUT", "MODEL_STUB_ERROR", "MODEL_STUB_SIGNAL",
                             "MODEL_STUB_STATUS", "MODEL_STUB_SLEEP", "MODEL_STUB_SLEEP_VERB"}) {
      ::unsetenv(name);
    }
  }

  void answer(std::string_view output, int status = 0, std::string_view error = "") {
    write("output", output);
    write("error", error);
    ::setenv("MODEL_STUB_OUTPUT", (stubs_.dir() / "output").c_str(), 1);
    ::setenv("MODEL_STUB_ERROR", (stubs_.dir() / "error").c_str(), 1);
    ::setenv("MODEL_STUB_STATUS", std::to_string(status).c_str(), 1);
    ::unsetenv("MODEL_STUB_SIGNAL");
  }
  // Runs whose first argument is `verb` take `seconds` longer.
  void sleep_on(const std::string& verb, int seconds) {
    ::setenv("MODEL_STUB_SLEEP_VERB", verb.c_str(), 1);
    ::setenv("MODEL_STUB_SLEEP", std::to_string(seconds).c_str(), 1);
  }
  void die_by_signal(int signal) { ::setenv("MODEL_STUB_SIGNAL", std::to_string(signal).c_str(), 1); }
  void uninstall() { stubs_.remove("orvo-model-manager"); }

  // The arguments of the last run.
  std::vector<std::string> arguments() const {
    std::ifstream in(stubs_.dir() / "args");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

 private:
  void write(const char* name, std::string_view content) {
    std::ofstream(stubs_.dir() / name, std::ios::binary) << content;
  }
  StubPrograms stubs_;
};

}  // namespace settings::panes::testing
