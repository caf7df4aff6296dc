// A program a test starts, talks to through its standard input and stops
// by its process id; its output goes to a log file. Started with
// posix_spawn, so that tests with threads of their own (JACK clients) can
// start programs safely.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class ChildProcess
{
public:
  struct Options
  {
    // "NAME=VALUE" sets a variable, "NAME" removes it; the rest is inherited.
    std::vector<std::string> environment;
    std::string log = "/dev/null"; // standard output and error
    bool pipeInput = false;        // else standard input is /dev/null
    int passFd = -1;               // handed to the program as descriptor 3
  };

  // argv[0] is looked up on PATH. Throws when the program cannot start.
  ChildProcess(const std::vector<std::string>& argv, const Options& options);
  // Stops it (SIGTERM, SIGKILL after a while) unless it has ended.
  ~ChildProcess();

  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return mPid; }
  void writeInput(const std::string& text);
  // The exit code once it has ended within the timeout; -1 while it runs,
  // 128 + N when signal N ended it.
  int wait(double timeoutSeconds);
  bool running() { return wait(0.0) == -1; }
  // SIGTERM, then wait(); SIGKILL when it outlives the timeout.
  int terminate(double timeoutSeconds = 10.0);

private:
  pid_t mPid = -1;
  int mInput = -1;
  int mStatus = -1;
};
