#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class vroAudio;

// Renders the score with the synthesiser on a thread of its own while the
// show goes on, then swaps the new tune in at the music time it has reached.
// A save during a render renders again once that one is done.
class MusicReload {
public:
    explicit MusicReload(vroAudio& audio);
    // Stops a render under way.
    ~MusicReload();

    MusicReload(const MusicReload&) = delete;
    MusicReload& operator=(const MusicReload&) = delete;

    void Request(const std::string& scoreFile);
    // Between two frames: swaps in a finished render. Nothing when no
    // render finished; otherwise its problems ("file:line: message" lines),
    // empty when the new tune plays.
    std::optional<std::string> Finish();
    bool isBusy();

private:
    struct Result {
        std::string problems;
        std::vector<uint8_t> wav;
        double seconds = 0.0;
    };

    void work();
    static Result render(const std::string& scoreFile, const std::atomic<bool>& stop);

    vroAudio& audio;
    std::mutex lock;
    std::condition_variable wake;
    std::optional<std::string> requested; // the next score to render
    std::optional<Result> finished;
    bool rendering = false;
    bool stopping = false;
    std::atomic<bool> cancelled{false}; // read by the renderer without the lock
    std::thread worker;
};
