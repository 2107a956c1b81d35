// libFuzzer target: any bytes as the text form of sync tracks. Built and run
// by scripts/fuzz, replayed from corpus/ and regressions/ by the ordinary
// tests.
//
// Beyond what the sanitizers catch: every problem is one line naming its
// line of input, each input line gives at most two problems (a bad name that
// is also taken), every track's rows ascend, and a well-named track written
// back in its canonical text parses to the same keys. The same text held
// for editing writes back byte for byte, also after an edit and its undo.

#include "trackDocument.h"
#include "trackText.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

void requireRoundTrip(const TextTrack& track)
{
    const int32_t count = static_cast<int32_t>(track.keys.size());
    TrackText again;
    std::vector<std::string> errors;
    again.parse("again.tracks", TrackText::format(track.name, track.keys.data(), count), errors);
    require(errors.empty() && again.tracks().size() == 1);
    const std::vector<sync_key>& keys = again.tracks()[0].keys;
    require(again.tracks()[0].name == track.name && keys.size() == track.keys.size());
    for (size_t i = 0; i < keys.size(); ++i)
        require(keys[i].row == track.keys[i].row && keys[i].kind == track.keys[i].kind
                && std::memcmp(&keys[i].value, &track.keys[i].value, sizeof(float)) == 0);
}

void requireEditableRoundTrip(const std::string& text)
{
    TrackDocument document("fuzz.tracks", text);
    require(document.text() == text);
    if (document.isReadOnly() || document.tracks().empty())
        return;
    const std::vector<sync_key>& keys = document.tracks()[0].keys;
    if (!keys.empty() && keys.back().row == INT32_MAX)
        return;
    const sync_key added{keys.empty() ? 0 : keys.back().row + 1, 0.5f, SYNC_KEY_SMOOTH};
    require(document.setKey(0, added).empty());
    require(TrackDocument("fuzz.tracks", document.text()).tracks()[0].keys.back().row == added.row);
    require(document.undo() && document.text() == text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    TrackText parser;
    std::vector<std::string> errors;
    parser.parse("fuzz.tracks", text, errors);

    const size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    require(errors.size() <= 2 * lines);
    for (const std::string& error : errors)
        require(error.rfind("fuzz.tracks:", 0) == 0 && error.find_first_of("\r\n") == std::string::npos);

    for (const TextTrack& track : parser.tracks()) {
        for (size_t i = 1; i < track.keys.size(); ++i)
            require(track.keys[i - 1].row < track.keys[i].row);
        if (TrackText::isValidName(track.name))
            requireRoundTrip(track);
    }
    requireEditableRoundTrip(text);
    return 0;
}
