#include "trackReload.h"

#include "trackText.h"
#include "vroAudio.h"

#include <fstream>
#include <map>
#include <sstream>

TrackReload::TrackReload(vroAudio& audio, std::vector<std::string> files) : audio(audio), files(std::move(files))
{
}

std::string TrackReload::Apply()
{
    TrackText text;
    std::vector<std::string> errors;
    for (const std::string& file : files) {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            errors.push_back(file + ": cannot read");
            continue;
        }
        std::ostringstream content;
        content << in.rdbuf();
        text.parse(file, content.str(), errors);
    }
    std::string problems;
    for (const std::string& error : errors)
        problems += error + "\n";
    if (!problems.empty())
        return problems;
    std::map<std::string, std::vector<sync_key>> keys;
    for (const TextTrack& track : text.tracks())
        keys[track.name] = track.keys;
    if (!audio.replaceSyncTracks(keys))
        return "tracks: not replaced, memory ran out\n";
    return {};
}
