#include "frameCapture.h"

#include "frameSink.h"
#include "partStats.h"
#include "terminalProgress.h"
#include "vroAudio.h"
#include "vroEngine.h"
#include "vroFrameReader.h"
#include "vroGpuTimer.h"
#include "vroTimer.h"
#include "vroWindow.h"
#include "vroYuvConverter.h"

#include <chrono>
#include <memory>

#include <epoxy/gl.h>

namespace {

void collectGpuTimes(vroGpuTimer* gpu, PartStats* stats)
{
    if (!gpu)
        return;
    while (auto span = gpu->nextFinished())
        stats->SetGpu(static_cast<std::size_t>(span->number), span->seconds * 1e3);
}

} // namespace

FrameCapture::FrameCapture(const vroDeclaration& declaration, const vroShow::Factory& create, int width, int height)
    : show(declaration, create, width, height, false, false), width(width), height(height)
{
    show.Start();
    show.getEngine().audio->Pause();
}

void FrameCapture::drawFrame(double seconds)
{
    vroEngine& engine = show.getEngine();
    engine.audio->SeekTo(seconds);
    engine.timer->Hold(engine.audio->GetPosition());
    engine.IsRunning(); // fixes the frame's sync row
    show.RunFrame();
}

bool FrameCapture::Run(const FrameRange& range, FrameSink& sink, PartStats* stats,
                       const volatile std::sig_atomic_t& stop)
{
    if (sink.takes() == FrameSink::Pixels::yuv420p) {
        vroYuvConverter converter(width, height, 2);
        return runWith(converter, range, sink, stats, stop);
    }
    vroFrameReader reader(width, height, 2, sink.takes() == FrameSink::Pixels::bgra ? GL_BGRA : GL_RGBA);
    return runWith(reader, range, sink, stats, stop);
}

template <class ReadBack>
bool FrameCapture::runWith(ReadBack& reader, const FrameRange& range, FrameSink& sink, PartStats* stats,
                           const volatile std::sig_atomic_t& stop)
{
    vroEngine& engine = show.getEngine();
    const auto gpu = stats ? std::make_unique<vroGpuTimer>() : nullptr;
    TerminalProgress progress(stderr, range.count(), "frames");
    long handedOut = 0;
    auto handOut = [&] {
        if (!sink.Write(range.first + handedOut, reader.Take()))
            return false;
        progress.Advance(++handedOut);
        return true;
    };

    // The driver finishes building programs at their first draw: a frame
    // drawn once and thrown away keeps that out of the first frame's cost.
    drawFrame(range.seconds(range.first));
    engine.window->update();
    for (long frame = range.first; frame < range.end; ++frame) {
        if (stop)
            return false;
        const auto start = std::chrono::steady_clock::now();
        if (gpu)
            gpu->Begin();
        drawFrame(range.seconds(frame));
        if (gpu)
            gpu->End();
        const std::chrono::duration<double, std::milli> cpu = std::chrono::steady_clock::now() - start;
        if (stats)
            stats->AddFrame(show.getDeclaration().partName(engine.audio->getSyncValue("part")), cpu.count());
        // The frame before this one was read while this one drew.
        if (reader.pending() == reader.slots() && !handOut())
            return false;
        reader.Queue();
        engine.window->update();
        collectGpuTimes(gpu.get(), stats);
    }
    while (reader.pending() > 0)
        if (stop || !handOut())
            return false;
    glFinish();
    collectGpuTimes(gpu.get(), stats);
    progress.Finish();
    return !stop;
}
