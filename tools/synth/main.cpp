// synth SCORE OUT.wav: renders a score to a 16-bit stereo WAV file.
#include <iostream>

#include "ScoreParser.h"
#include "SongRenderer.h"
#include "Timing.h"
#include "WavFile.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "synth: usage: synth SCORE OUT.wav\n";
        return 2;
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
