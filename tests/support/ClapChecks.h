// The rules every CLAP plug-in of a pass-through kind is held to by our
// test host, as checks that say what broke: the tests run them on our
// module, on a packaged plug-in (proof that the host is right) and on
// plug-ins that break one rule each (proof that it can fail).
#pragma once

#include "tests/support/ClapHost.h"

#include <gtest/gtest.h>

#include <string>

namespace ClapChecks
{
// Activated at rate with blocks of up to maxFrames, blocks of 1 frame to
// maxFrames, out of place and then in place, give the input back bit for bit
// (NaN, infinities, denormals and signed zeros included).
testing::AssertionResult PassesAudioThrough(const ClapModule& module, const std::string& id, double rate,
                                            uint32_t maxFrames);
// Blocks of many lengths at rate process without error into finite output
// (for effects that are not bit-exact).
testing::AssertionResult ProcessesBlocks(const ClapModule& module, const std::string& id, double rate);
// A parameter set away from its default survives a save and a load into a
// fresh instance, both through streams that move one byte per call. A
// plug-in without the state extension is restored as hosts restore it:
// every value it reports, set again in the fresh instance's first block.
testing::AssertionResult RoundTripsStateByteByByte(const ClapModule& module, const std::string& id);
} // namespace ClapChecks
