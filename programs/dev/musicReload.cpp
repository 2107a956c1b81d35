#include "musicReload.h"

#include "vroAudio.h"

#include "ScoreParser.h"
#include "SongRenderer.h"
#include "Timing.h"
#include "WavFile.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <limits>

MusicReload::MusicReload(vroAudio& audio) : audio(audio), worker([this] { work(); })
{
}

MusicReload::~MusicReload()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    // A score of half an hour renders for minutes: quitting must not wait.
    cancelled = true;
    wake.notify_all();
    worker.join();
}

void MusicReload::Request(const std::string& scoreFile)
{
    {
        std::lock_guard<std::mutex> guard(lock);
        requested = scoreFile;
    }
    std::fprintf(stderr, "music: rendering \"%s\" in the background\n", scoreFile.c_str());
    wake.notify_all();
}

bool MusicReload::isBusy()
{
    std::lock_guard<std::mutex> guard(lock);
    return rendering || requested || finished;
}

std::optional<std::string> MusicReload::Finish()
{
    std::optional<Result> result;
    {
        std::lock_guard<std::mutex> guard(lock);
        result.swap(finished);
    }
    if (!result)
        return std::nullopt;
    if (!result->problems.empty())
        return result->problems;
    if (!audio.ReplaceTune(std::move(result->wav)))
        return std::string("music: the audio layer refused the rendered tune\n");
    std::fprintf(stderr, "music: new tune in place at %.3f s (rendered in %.1f s)\n", audio.GetPosition(),
                 result->seconds);
    return std::string();
}

void MusicReload::work()
{
    std::unique_lock<std::mutex> guard(lock);
    for (;;) {
        wake.wait(guard, [this] { return stopping || (requested && !finished); });
        if (stopping)
            return;
        const std::string scoreFile = *requested;
        requested.reset();
        rendering = true;
        guard.unlock();
        Result result = render(scoreFile, cancelled);
        guard.lock();
        rendering = false;
        finished = std::move(result);
    }
}

MusicReload::Result MusicReload::render(const std::string& scoreFile, const std::atomic<bool>& stop)
{
    const auto start = std::chrono::steady_clock::now();
    Result result;
    std::vector<std::string> errors;
    const auto score = synth::ScoreParser::parseFile(scoreFile, errors);
    for (const std::string& error : errors)
        result.problems += error + "\n";
    if (!score)
        return result;
    const synth::SongRenderer renderer(*score);
    // A WAV file counts its bytes in 32 bits.
    if (renderer.frameCount() * 4 > std::numeric_limits<uint32_t>::max() - 36) {
        result.problems = scoreFile + ": too long for a WAV stream\n";
        return result;
    }
    const std::vector<int16_t> samples = renderer.render(&stop);
    if (stop)
        return result;
    result.wav = synth::WavFile::header(static_cast<uint32_t>(renderer.frameCount()), synth::Timing::sampleRate);
    const size_t headerBytes = result.wav.size();
    result.wav.resize(headerBytes + samples.size() * sizeof(int16_t));
    // WAV samples are little-endian, as this machine's are.
    std::memcpy(result.wav.data() + headerBytes, samples.data(), samples.size() * sizeof(int16_t));
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return result;
}
