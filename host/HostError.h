#pragma once

#include <stdexcept>
#include <string>

// A failure the host reports as one line on stderr before exiting with `exitCode`.
class HostError : public std::runtime_error
{
public:
  explicit HostError(const std::string& message, int exitCode = 1) : std::runtime_error(message), mExitCode(exitCode)
  {
  }

  int exitCode() const { return mExitCode; }

private:
  int mExitCode;
};
