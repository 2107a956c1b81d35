#pragma once

#include <cstdint>
#include <vector>

#include <epoxy/gl.h>

// An 8-bit RGBA texture with given texels (rows in memory order), nearest
// filtering and clamped edges like the engine's textures, to feed a pass.
class InputTexture {
public:
    InputTexture(int width, int height, const std::vector<std::uint8_t>& texels);
    ~InputTexture();
    InputTexture(const InputTexture&) = delete;
    InputTexture& operator=(const InputTexture&) = delete;

    void bindToUnit(int unit) const;

private:
    GLuint name = 0;
};
