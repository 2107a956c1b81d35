#include "inputTexture.h"

#include <cassert>

InputTexture::InputTexture(int width, int height, const std::vector<std::uint8_t>& texels)
{
    assert(texels.size() == static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    // Unit 0 belongs to no channel, so making the texture there disturbs no input.
    glActiveTexture(GL_TEXTURE0);
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, 0);
}

InputTexture::~InputTexture()
{
    glDeleteTextures(1, &name);
}

void InputTexture::bindToUnit(int unit) const
{
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    glBindTexture(GL_TEXTURE_2D, name);
}
