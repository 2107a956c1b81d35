#include "vroUtils.h"

#include <algorithm>
#include <cctype>
#include <csignal>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <unistd.h>

#include "vroGL.h"

std::string vroUtils::ReadTextFile(std::string path)
{
    std::ifstream file(path, std::ios::in);
    std::stringstream text(std::ios::in | std::ios::out);
    if (file)
        text << file.rdbuf();
    return text.str();
}

void vroUtils::ClearTextureSlot(unsigned unit)
{
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void vroUtils::SettleStandardStreams()
{
    // Opening takes the lowest free number, which is the stream's own: the
    // ones below it are open by then.
    for (int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
        if (fcntl(stream, F_GETFD) < 0)
            open("/dev/null", stream == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    std::signal(SIGPIPE, SIG_IGN);
}

bool vroUtils::isSoftwareRenderer(const std::string& renderer)
{
    std::string name = renderer;
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    for (const char* software : {"llvmpipe", "softpipe", "swrast", "software rasterizer", "swiftshader",
                                 "basic render driver"})
        if (name.find(software) != std::string::npos)
            return true;
    return false;
}
