#include "trackReload.h"

#include "trackText.h"
#include "vroAudio.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

// A file that is no track text at all has a fault on every line: the first
// ones say what is wrong, thousands would flood the read-out.
constexpr size_t kShownProblems = 20;

} // namespace

std::optional<std::string> readTextFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::error_code ignored;
    if (!in || std::filesystem::is_directory(path, ignored))
        return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

TrackReload::TrackReload(vroAudio& audio, std::vector<std::string> files) : audio(audio), files(std::move(files))
{
}

std::string TrackReload::Apply()
{
    TrackText text;
    std::vector<std::string> errors;
    for (const std::string& file : files) {
        // A folder opens, and would read as an empty text that empties every track.
        const std::optional<std::string> content = readTextFile(file);
        if (!content) {
            errors.push_back(file + ": cannot read");
            continue;
        }
        text.parse(file, *content, errors);
    }
    std::string problems;
    for (size_t i = 0; i < errors.size() && i < kShownProblems; ++i)
        problems += errors[i] + "\n";
    if (errors.size() > kShownProblems)
        problems += std::to_string(errors.size() - kShownProblems) + " more problems not shown\n";
    if (!problems.empty())
        return problems;
    std::map<std::string, std::vector<sync_key>> keys;
    for (const TextTrack& track : text.tracks())
        keys[track.name] = track.keys;
    if (!audio.replaceSyncTracks(keys))
        return "tracks: not replaced, memory ran out\n";
    // The production reads its tracks by name and skips the others, too.
    unread.clear();
    for (const TextTrack& track : text.tracks())
        if (!audio.getSyncTrack(track.name))
            unread += track.origin + ": track \"" + track.name + "\" is read by nothing in the production\n";
    return {};
}
