#pragma once
#include <cstdint>
#include <string>

namespace bench {

struct Options {
    std::size_t latencyRecords = 200;
    std::size_t burstRecords = 1000;
    unsigned burstReplyDelayMs = 20;
    std::size_t growthRecords = 20000;
    std::size_t growthWindow = 1000;  // records compared at the start and the end
    std::size_t growthBatch = 50;     // records sent back to back before waiting for them
    std::size_t handleCheckAfter = 1000;
    unsigned idleSeconds = 60;
    // Quick runs too: with fewer, the start-up ratio swung by 0.2 from run to run.
    unsigned starts = 101;
    std::uint16_t servicePort = 48080;
    std::uint16_t firstUdpPort = 48200;
    std::uint16_t floorPort = 0;  // the native floor client's UDP port; 0 when none runs
    std::string outPath;
    bool quick = false;
};

// False with a message on a bad command line.
bool ParseOptions(int argc, wchar_t** argv, Options* options, std::string* error);
std::string Usage();

}  // namespace bench
