#pragma once

#include <string>

// `crest-host describe`: what the bundle tells a host, and its parameters.
class DescribeCommand
{
public:
  static int run(const std::string& bundleDir, bool json);
};
