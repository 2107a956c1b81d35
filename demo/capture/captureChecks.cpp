#include "captureChecks.h"

#include "outputFiles.h"
#include "vroWindow.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include <epoxy/gl.h>

namespace {

bool fail(const std::string& problem)
{
    std::fprintf(stderr, "capture: %s\n", problem.c_str());
    return false;
}

std::filesystem::path folderOf(const std::string& file)
{
    return std::filesystem::path(file).parent_path();
}

} // namespace

int largestPictureSide()
{
    vroWindow probe(16, 16, "kelvandrix-capture", false, false);
    GLint renderbuffer = 0, framebuffer[2] = {0, 0}, viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    glGetIntegerv(GL_MAX_FRAMEBUFFER_WIDTH, &framebuffer[0]);
    glGetIntegerv(GL_MAX_FRAMEBUFFER_HEIGHT, &framebuffer[1]);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    return std::min({renderbuffer, framebuffer[0], framebuffer[1], viewport[0], viewport[1]});
}

bool checkBeforeLoading(const CaptureOptions& options)
{
    const bool video = !options.audioOnly && !options.writesPictures();
    if (video && findProgram("ffmpeg").empty())
        return fail("ffmpeg is not installed; it encodes the video (Debian package ffmpeg), or write "
                    "pictures with --out FOLDER/");
    if (video && (options.width % 2 != 0 || options.height % 2 != 0))
        return fail("--size " + std::to_string(options.width) + "x" + std::to_string(options.height)
                    + " is odd; H.264 video in yuv420p needs an even width and height");
    if (options.writesPictures() ? !canWriteFolder(options.out, true) : !canWriteFolder(folderOf(options.out), false))
        return fail("cannot write into the folder of \"" + options.out + "\"");
    if (!options.statsCsv.empty() && !canWriteFolder(folderOf(options.statsCsv), false))
        return fail("cannot write into the folder of \"" + options.statsCsv + "\"");
    if (!options.audioOnly) {
        const int largest = largestPictureSide();
        if (options.width > largest || options.height > largest)
            return fail("--size " + std::to_string(options.width) + "x" + std::to_string(options.height)
                        + " is beyond the largest picture this OpenGL renders, " + std::to_string(largest) + "x"
                        + std::to_string(largest));
    }
    return true;
}
