// A shell command line run from a test's working folder, as a user types it:
// its exit status and what it printed.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "files/SaveFolder.h"

namespace velmo_test {

struct ShellRun {
  int status;
  std::string out, err;
};

// Output goes to out and err in the current folder; status -1 when the shell
// did not exit.
inline ShellRun Shell(const std::string& line) {
  const int raw = std::system(("(" + line + ") >out 2>err").c_str());
  return ShellRun{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, savefolder::Read("out"), savefolder::Read("err")};
}

}  // namespace velmo_test
