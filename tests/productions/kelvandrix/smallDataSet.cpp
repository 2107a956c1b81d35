#include "smallDataSet.h"

#include "childProcess.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>
#include <limits>

namespace testing_support {

namespace {

struct TrackKey {
    std::int32_t row;
    float value;
};

// A track file as the player reads it: little-endian 8-byte count, then row,
// value and kind (0, a step) per key.
std::string trackFile(const std::vector<TrackKey>& keys)
{
    std::string bytes;
    auto put = [&](std::uint64_t value, int width) {
        for (int i = 0; i < width; ++i)
            bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
    };
    put(keys.size(), 8);
    for (const TrackKey& key : keys) {
        std::uint32_t valueBits;
        std::memcpy(&valueBits, &key.value, 4);
        put(static_cast<std::uint32_t>(key.row), 4);
        put(valueBits, 4);
        put(0, 1);
    }
    return bytes;
}

const char* const kVertex = R"(layout (location = 0) in vec3 vertexPosition;
out vec2 uv;
void main() { uv = vertexPosition.xy * 0.5 + 0.5; gl_Position = vec4(vertexPosition, 1.0); })";

const char* const kVertexFlipped = R"(layout (location = 0) in vec3 vertexPosition;
out vec2 uv;
void main() { uv = vec2(vertexPosition.x * 0.5 + 0.5, 0.5 - vertexPosition.y * 0.5); gl_Position = vec4(vertexPosition, 1.0); })";

std::string fragment(const std::string& body)
{
    return "in vec2 uv;\nuniform sampler2D uChannelA;\nuniform float uSyncA;\nout vec4 colour;\n"
           "void main() { " + body + " }";
}

void writeTrack(const TempDir& dir, const std::string& name, const std::vector<TrackKey>& keys)
{
    dir.write("kelvandrix_sync_" + name + ".track", trackFile(keys));
}

} // namespace

void makeSmallDataSet(const TempDir& dir, double musicSeconds)
{
    const std::string wav = dir.file("silence.wav").string();
    const std::string mp3 = dir.file("tolvenmark.mp3").string();
    runCommand("sox -n -r 44100 -c 2 '" + wav + "' trim 0 " + std::to_string(musicSeconds) + " && lame --silent -b 128 '"
               + wav + "' '" + mp3 + "'");

    dir.write("noTransform.vs", kVertex);
    dir.write("noTransform_flipY.vs", kVertexFlipped);
    dir.write("textured.fs", fragment("colour = texture(uChannelA, uv);"));
    dir.write("addtext.fs", fragment("if (texture(uChannelA, uv).r < 0.5) discard; colour = vec4(1.0);"));
    dir.write("post.fs", fragment("colour = texture(uChannelA, uv);"));
    dir.write("debugtext.fs", fragment("colour = vec4(0.0);"));
    dir.write("rm_cubescape.fs", fragment("colour = vec4(uSyncA, 0.25, 0.75, 1.0);"));
    dir.write("rm_pyramidgrid.fs", fragment("colour = vec4(0.1, 0.9, 0.2, 1.0);"));
    runCommand("convert -size 8x8 'xc:rgb(200,100,50)' '" + dir.file("ende.png").string() + "'");
    for (const char* font : {"default.ttf", "steelfish rg.ttf"})
        std::filesystem::copy_file(runDir() / font, dir.file(font));

    const float nan = std::numeric_limits<float>::quiet_NaN();
    writeTrack(dir, "part", {{0, 5}, {20, nan}, {40, 7}, {60, 1}, {80, 3}, {100, 9}});
    writeTrack(dir, "bg_h", {{0, 0.0f}, {20, 1.0f / 3.0f}});
    writeTrack(dir, "bg_s", {{0, 1.0f}, {40, 0.0f}});
    writeTrack(dir, "bg_v", {{0, 1.0f}, {40, 0.5f}});
    writeTrack(dir, "shader_A", {{0, 0.5f}});
}

} // namespace testing_support
