#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace
{
std::vector<std::string> mergedEnvironment(const std::vector<std::string>& changes)
{
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e)
    env.emplace_back(*e);
  for (const std::string& change : changes)
  {
    const std::string name = change.substr(0, change.find('='));
    for (auto it = env.begin(); it != env.end();)
      it = it->compare(0, name.size() + 1, name + "=") == 0 ? env.erase(it) : it + 1;
    if (change.find('=') != std::string::npos)
      env.push_back(change);
  }
  return env;
}

std::vector<char*> pointers(std::vector<std::string>& strings)
{
  std::vector<char*> p;
  for (std::string& s : strings)
    p.push_back(s.data());
  p.push_back(nullptr);
  return p;
}
} // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const Options& options)
{
  std::vector<std::string> args = argv;
  std::vector<std::string> env = mergedEnvironment(options.environment);
  std::vector<char*> argp = pointers(args);
  std::vector<char*> envp = pointers(env);

  int pipeFds[2] = {-1, -1};
  if (options.pipeInput && pipe2(pipeFds, O_CLOEXEC) != 0)
    throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (options.pipeInput)
    posix_spawn_file_actions_adddup2(&actions, pipeFds[0], 0);
  else
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, options.log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  if (options.passFd >= 0)
    posix_spawn_file_actions_adddup2(&actions, options.passFd, 3);
  const int r = posix_spawnp(&mPid, args[0].c_str(), &actions, nullptr, argp.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (options.pipeInput)
  {
    close(pipeFds[0]);
    mInput = pipeFds[1];
  }
  if (r != 0)
  {
    if (mInput >= 0)
      close(mInput);
    throw std::runtime_error("cannot start " + args[0] + ": " + std::strerror(r));
  }
}

ChildProcess::~ChildProcess()
{
  if (mInput >= 0)
    close(mInput);
  terminate(5.0);
}

void ChildProcess::writeInput(const std::string& text)
{
  if (mInput < 0 || write(mInput, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
    throw std::runtime_error("cannot write to the standard input of process " + std::to_string(mPid));
}

int ChildProcess::wait(double timeoutSeconds)
{
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  while (mStatus < 0)
  {
    int status = 0;
    if (waitpid(mPid, &status, WNOHANG) == mPid)
      mStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    else if (std::chrono::steady_clock::now() >= end)
      break;
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return mStatus;
}

int ChildProcess::terminate(double timeoutSeconds)
{
  if (wait(0.0) >= 0)
    return mStatus;
  kill(mPid, SIGTERM);
  if (wait(timeoutSeconds) < 0)
  {
    kill(mPid, SIGKILL);
    wait(60.0);
  }
  return mStatus;
}
