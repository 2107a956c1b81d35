#pragma once

#include "frameRange.h"

#include <filesystem>
#include <optional>
#include <string>

// The music of a range, the very samples the audio layer plays, read from a
// stream the layer decodes for this purpose only.
class RangeAudio {
public:
    // Opens the tune; the audio layer names it on standard error when it cannot.
    explicit RangeAudio(const std::string& tune);
    ~RangeAudio();

    RangeAudio(const RangeAudio&) = delete;
    RangeAudio& operator=(const RangeAudio&) = delete;

    bool isOpen() const { return stream != 0; }
    double lengthSeconds() const;
    // 16-bit PCM WAV of the samples from the first frame's time to the end
    // frame's, each time rounded to a sample by the layer; written under a
    // temporary name and renamed into place.
    bool WriteWav(const FrameRange& range, const std::filesystem::path& path);

private:
    std::string tune;
    unsigned stream = 0;
    bool initialised = false;
};
