#pragma once

#include "bass.h"
#include "bassTestMedia.h"
#include "testFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace bass_testing {

// The layer started on its silent output, which plays in real time whether
// or not the machine has a sound card; a folder for the test's files.
class StreamTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr)); }
    void TearDown() override { BASS_Free(); }

    HSTREAM open(const std::filesystem::path& path)
    {
        return BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    }

    HSTREAM make(const std::string& name, const Signal& signal, const std::string& lameOptions = "-b 128")
    {
        return open(makeMp3(dir.path(), name, signal, lameOptions));
    }

    testing_support::TempDir dir;
};

inline double positionSeconds(HSTREAM stream)
{
    return BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream, BASS_POS_BYTE));
}

inline double lengthSeconds(HSTREAM stream)
{
    return BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetLength(stream, BASS_POS_BYTE));
}

inline double wallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace bass_testing
