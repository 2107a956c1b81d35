#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

// What each part of the production costs per frame: CPU time of the frame's
// drawing and GPU time of the same span, which arrives a frame or more later.
class PartStats {
public:
    // Frame `index` (0, 1, 2, ... in capture order) of the part named.
    void AddFrame(const std::string& part, double cpuMilliseconds);
    void SetGpu(std::size_t index, double gpuMilliseconds);

    struct Row {
        std::string part;
        std::size_t frames = 0;
        double cpu[3] = {0, 0, 0}; // median, 95th percentile, maximum, in ms
        double gpu[3] = {0, 0, 0};
        std::size_t gpuFrames = 0;
    };
    // One row per part, in the order the parts first appeared.
    std::vector<Row> rows() const;

    void PrintTable(std::FILE* stream) const;
    bool WriteCsv(const std::string& path) const;

private:
    struct Frame {
        std::string part;
        double cpu;
        std::optional<double> gpu;
    };
    std::vector<Frame> frames;
};
