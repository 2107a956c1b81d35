// endepicture: renders the closing picture and writes it as a PNG.
//   endepicture <output.png>
#include <cstdio>
#include <string>

#include "endeScene.h"
#include "picture.h"

namespace {
constexpr int kWidth = 1280;
constexpr int kHeight = 720;
}

const char* const kUsage = "usage: endepicture OUTPUT.png\n"
                          "Renders the closing picture, 1280x720, on the CPU and writes it as PNG.\n"
                          "  --help  this text\n"
                          "Exit status: 0 written, 1 OUTPUT.png cannot be written, 2 usage.\n";

int main(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == "--help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "endepicture: expects one output file\n%s", kUsage);
        return 2;
    }
    // A mistyped option is not a file name to write over.
    if (argv[1][0] == '-') {
        std::fprintf(stderr, "endepicture: unknown option \"%s\"\n%s", argv[1], kUsage);
        return 2;
    }
    const std::string path = argv[1];
    Picture picture(kWidth, kHeight);
    EndeScene(kWidth, kHeight).render(picture);
    if (!picture.writePng(path)) {
        std::fprintf(stderr, "endepicture: cannot write \"%s\"\n", path.c_str());
        return 1;
    }
    return 0;
}
