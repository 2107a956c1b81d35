// synth SCORE OUT.wav: renders a score to a 16-bit stereo WAV file.
#include <iostream>
#include <string>

#include "ScoreParser.h"
#include "SongRenderer.h"
#include "Timing.h"
#include "WavFile.h"

namespace {

const char* const kUsage =
    "usage: synth SCORE OUT.wav\n"
    "Renders the plain-text score SCORE (format: tools/synth/README.md) to OUT.wav,\n"
    "16-bit stereo at 44.1 kHz; the same score gives the same bytes on every machine.\n"
    "  --help  this text\n"
    "Exit status: 0 written, 1 the score has problems (one line each on standard\n"
    "error) or OUT.wav cannot be written, 2 usage.\n";

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == "--help") {
        std::cout << kUsage;
        return 0;
    }
    if (argc != 3) {
        std::cerr << "synth: expects a score and an output file\n" << kUsage;
        return 2;
    }
    // A mistyped option is not a file name to read or write over.
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-') {
            std::cerr << "synth: unknown option \"" << argv[i] << "\"\n" << kUsage;
            return 2;
        }
    }
    std::vector<std::string> errors;
    auto score = synth::ScoreParser::parseFile(argv[1], errors);
    for (const std::string& message : errors) {
        std::cerr << message << '\n';
    }
    if (!score) {
        return 1;
    }
    synth::SongRenderer renderer(*score);
    if (!synth::WavFile::writeStereo(argv[2], renderer.render(), synth::Timing::sampleRate)) {
        std::cerr << "synth: cannot write \"" << argv[2] << "\"\n";
        return 1;
    }
    return 0;
}
