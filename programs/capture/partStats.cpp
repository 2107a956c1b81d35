#include "partStats.h"

#include "outputFiles.h"
#include "vroProcessPlatform.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace {

// Median, 95th percentile (nearest rank) and maximum.
void summarise(std::vector<double> values, double out[3])
{
    if (values.empty())
        return;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    out[0] = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
    out[1] = values[static_cast<size_t>(std::ceil(0.95 * static_cast<double>(n))) - 1];
    out[2] = values.back();
}

} // namespace

void PartStats::AddFrame(const std::string& part, double cpuMilliseconds)
{
    frames.push_back({part, cpuMilliseconds, std::nullopt});
}

void PartStats::SetGpu(std::size_t index, double gpuMilliseconds)
{
    if (index < frames.size())
        frames[index].gpu = gpuMilliseconds;
}

std::vector<PartStats::Row> PartStats::rows() const
{
    std::vector<Row> result;
    for (const Frame& frame : frames)
        if (std::none_of(result.begin(), result.end(), [&](const Row& row) { return row.part == frame.part; }))
            result.push_back({frame.part});
    for (Row& row : result) {
        std::vector<double> cpu, gpu;
        for (const Frame& frame : frames)
            if (frame.part == row.part) {
                cpu.push_back(frame.cpu);
                if (frame.gpu)
                    gpu.push_back(*frame.gpu);
            }
        row.frames = cpu.size();
        row.gpuFrames = gpu.size();
        summarise(cpu, row.cpu);
        summarise(gpu, row.gpu);
    }
    return result;
}

void PartStats::PrintTable(std::FILE* stream) const
{
    std::fprintf(stream, "%-16s %7s | %8s %8s %8s | %8s %8s %8s\n", "part", "frames", "CPU med", "CPU p95",
                 "CPU max", "GPU med", "GPU p95", "GPU max");
    for (const Row& row : rows()) {
        std::fprintf(stream, "%-16s %7zu | %8.2f %8.2f %8.2f |", row.part.c_str(), row.frames, row.cpu[0], row.cpu[1],
                     row.cpu[2]);
        if (row.gpuFrames > 0)
            std::fprintf(stream, " %8.2f %8.2f %8.2f\n", row.gpu[0], row.gpu[1], row.gpu[2]);
        else
            std::fprintf(stream, " %8s %8s %8s\n", "-", "-", "-");
    }
    std::fprintf(stream, "(milliseconds per frame)\n");
}

bool PartStats::WriteCsv(const std::string& path) const
{
    const std::filesystem::path target = std::filesystem::u8path(path);
    const std::filesystem::path partial = temporaryBeside(target, "capture");
    std::FILE* file = vroProcessPlatform::OpenFile(partial, "wb");
    if (!file) {
        std::fprintf(stderr, "capture: cannot write \"%s\"\n", path.c_str());
        return false;
    }
    std::fprintf(file, "part,frames,cpu_median_ms,cpu_p95_ms,cpu_max_ms,gpu_median_ms,gpu_p95_ms,gpu_max_ms\n");
    for (const Row& row : rows()) {
        std::fprintf(file, "%s,%zu,%.4f,%.4f,%.4f", row.part.c_str(), row.frames, row.cpu[0], row.cpu[1], row.cpu[2]);
        if (row.gpuFrames > 0)
            std::fprintf(file, ",%.4f,%.4f,%.4f\n", row.gpu[0], row.gpu[1], row.gpu[2]);
        else
            std::fprintf(file, ",,,\n");
    }
    std::error_code failed;
    if (std::fclose(file) != 0 || (std::filesystem::rename(partial, target, failed), failed)) {
        std::filesystem::remove(partial, failed);
        std::fprintf(stderr, "capture: cannot write \"%s\"\n", path.c_str());
        return false;
    }
    return true;
}
