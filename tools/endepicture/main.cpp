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

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "endepicture: usage: endepicture <output.png>\n");
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
