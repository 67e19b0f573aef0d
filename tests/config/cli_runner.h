// Runs a command-line companion as a user would: real binary, stdin from
// /dev/null (no terminal to answer questions), stdout and stderr captured.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "temp_dir.h"

extern char** environ;

namespace krn::test {

struct CliRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

inline CliRun RunCli(const std::string& program, const std::vector<std::string>& args,
                     const TempDir& dir) {
  const std::string binary = std::string(KRN_BIN_DIR) + "/" + program;
  const std::string outPath = dir.Path(".stdout"), errPath = dir.Path(".stderr");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  std::vector<char*> argv{const_cast<char*>(binary.c_str())};
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  CliRun run;
  pid_t pid = 0;
  if (posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  run.out = FileText(outPath);
  run.err = FileText(errPath);
  ::unlink(outPath.c_str());
  ::unlink(errPath.c_str());
  return run;
}

}  // namespace krn::test
