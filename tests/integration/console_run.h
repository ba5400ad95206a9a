// Runs the console program `mirvan` as a user runs it: a child process in a chosen directory,
// with no terminal, its exit status, stdout and stderr, killed when it does not end in time.
#pragma once
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

namespace {

struct RunResult {
  int status = -1;  // exit status, or -1 when it did not exit by itself
  std::string out, err;
};

// Runs the console program in `dir` with no terminal (stdin from /dev/null), for at most
// `limitSeconds`; a run that takes longer is killed and its status is -1.
inline RunResult RunConsole(const std::string& dir, const std::vector<std::string>& args, int limitSeconds = 60) {
  std::string outFile = dir + "/.stdout", errFile = dir + "/.stderr";
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(126);
    int null = open("/dev/null", O_RDONLY);
    int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(null, 0);
    dup2(out, 1);
    dup2(err, 2);
    std::vector<char*> argv{const_cast<char*>(MIRVAN_CONSOLE)};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  RunResult r;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limitSeconds);
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      status = -1;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (status != -1 && WIFEXITED(status)) r.status = WEXITSTATUS(status);
  r.out = testing_support::ReadFile(outFile);
  r.err = testing_support::ReadFile(errFile);
  return r;
}

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace
