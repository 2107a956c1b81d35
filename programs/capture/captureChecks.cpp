#include "captureChecks.h"

#include "displayCheck.h"
#include "outputFiles.h"
#include "vroChildProcess.h"
#include "vroUtils.h"
#include "vroWindow.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include <epoxy/gl.h>

namespace {

std::nullopt_t fail(const std::string& problem)
{
    std::fprintf(stderr, "capture: %s\n", problem.c_str());
    return std::nullopt;
}

std::filesystem::path folderOf(const std::string& file)
{
    return std::filesystem::u8path(file).parent_path();
}

// The folder of pictures is made only once the capture starts, so that a
// refused one leaves nothing; here its parent must take it.
bool canMakePictures(const std::string& folder)
{
    std::error_code ignored;
    const std::filesystem::path path = std::filesystem::u8path(folder);
    if (std::filesystem::exists(path, ignored))
        return canWriteFolder(path);
    return canWriteFolder(path.parent_path().parent_path());
}

bool isFolder(const std::string& name)
{
    std::error_code ignored;
    return std::filesystem::is_directory(std::filesystem::u8path(name), ignored);
}

// A device, FIFO or socket: the file renamed into place would replace it
// (as root, /dev/null itself).
bool isNoPlainFile(const std::string& name)
{
    std::error_code ignored;
    const auto status = std::filesystem::status(std::filesystem::u8path(name), ignored);
    return std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)
        && !std::filesystem::is_directory(status);
}

} // namespace

RendererFacts probeRenderer()
{
    vroWindow probe(16, 16, "capture probe", false, false);
    GLint renderbuffer = 0, framebuffer[2] = {0, 0}, viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    glGetIntegerv(GL_MAX_FRAMEBUFFER_WIDTH, &framebuffer[0]);
    glGetIntegerv(GL_MAX_FRAMEBUFFER_HEIGHT, &framebuffer[1]);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    const GLubyte* name = glGetString(GL_RENDERER);
    return {std::min({renderbuffer, framebuffer[0], framebuffer[1], viewport[0], viewport[1]}),
            name ? reinterpret_cast<const char*>(name) : ""};
}

std::optional<CaptureOptions> checkBeforeLoading(CaptureOptions options)
{
    const bool video = !options.audioOnly && !options.writesPictures();
    if (video && vroChildProcess::Find("ffmpeg").empty())
        return fail(vroChildProcess::NotFound("ffmpeg", "ffmpeg")
                    + "; it encodes the video, or write pictures with --out FOLDER/");
    if (video && (options.width % 2 != 0 || options.height % 2 != 0))
        return fail("--size " + std::to_string(options.width) + "x" + std::to_string(options.height)
                    + " is odd; H.264 video in yuv420p needs an even width and height");
    if (options.writesPictures() ? !canMakePictures(options.out) : !canWriteFolder(folderOf(options.out)))
        return fail("cannot write into the folder of \"" + options.out + "\"");
    // A file's name that is a folder would fail only at the end, after all the work.
    for (const std::string& file : {options.writesPictures() ? std::string() : options.out, options.statsCsv}) {
        if (!file.empty() && isFolder(file))
            return fail("\"" + file + "\" is a folder, not a file; a name ending in / writes pictures into a folder");
        if (!file.empty() && isNoPlainFile(file))
            return fail("\"" + file + "\" is a device, FIFO or socket; the capture writes a new file under the name, "
                        "which would take its place");
    }
    if (!options.statsCsv.empty() && !canWriteFolder(folderOf(options.statsCsv)))
        return fail("cannot write into the folder of \"" + options.statsCsv + "\"");
    if (options.audioOnly)
        return options;
    if (const std::optional<std::string> problem = missingDisplay())
        return fail(*problem);
    const RendererFacts renderer = probeRenderer();
    const int largest = renderer.largestSide;
    if (options.width > largest || options.height > largest)
        return fail("--size " + std::to_string(options.width) + "x" + std::to_string(options.height)
                    + " is beyond the largest picture this OpenGL renders, " + std::to_string(largest) + "x"
                    + std::to_string(largest));
    using Conversion = CaptureOptions::Conversion;
    if (options.conversion == Conversion::byRenderer)
        options.conversion = vroUtils::isSoftwareRenderer(renderer.name) ? Conversion::ffmpeg : Conversion::gpu;
    // Converted on the GPU, a video's frame goes into a target with its
    // chroma rows below its own: half as tall again.
    if (video && options.conversion == Conversion::gpu && options.height / 2 * 3 > largest)
        return fail("--size " + std::to_string(options.width) + "x" + std::to_string(options.height)
                    + " is too tall for a video converted on the GPU: this OpenGL converts frames up to "
                    + std::to_string(largest / 3 * 2) + " pixels high to yuv420p (--convert ffmpeg takes taller ones)");
    return options;
}
