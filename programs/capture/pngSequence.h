#pragma once

#include "frameSink.h"

#include <filesystem>

// Frames as frame_NNNNNN.png in a folder, NNNNNN the global frame number.
// Each file is written under a temporary name and renamed when complete, so
// an interrupted capture leaves only whole pictures.
class PngSequence : public FrameSink {
public:
    PngSequence(std::filesystem::path folder, int width, int height);

    Pixels takes() const override { return Pixels::rgba; }
    bool Write(long number, const std::vector<std::uint8_t>& rgba) override;
    bool Finish() override { return true; }
    void Abandon() override;

    static std::string fileName(long number);

private:
    std::filesystem::path folder;
    std::filesystem::path partial;
    int width;
    int height;
};
