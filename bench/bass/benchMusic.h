#pragma once

#include <string>

// A folder of its own under the temporary folder, removed with the object.
class benchFolder {
public:
    benchFolder();
    ~benchFolder();
    benchFolder(const benchFolder&) = delete;
    benchFolder& operator=(const benchFolder&) = delete;

    const std::string& path() const { return dir; }

private:
    std::string dir;
};

// A stereo 44.1 kHz MP3 that costs as much to decode as dense music (pink
// noise under a swept tone), made with sox and lame. Exits when they fail.
std::string makeMusic(const benchFolder& folder, const std::string& name, double seconds,
                      const std::string& lameOptions);

double steadySeconds();
