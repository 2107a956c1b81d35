#pragma once

#include "vroFSQuad.h"
#include "vroFrameReader.h"
#include "vroShaderProgram.h"
#include "vroTexture.h"

#include <cstdint>
#include <vector>

#include <epoxy/gl.h>

// Frames converted to 8-bit Y'CbCr 4:2:0 on the GPU and read back in the
// planar layout that video encoders take as "yuv420p": the Y' plane, then
// Cb, then Cr, each with rows from the top. The matrix is BT.709 at limited
// range (Y' 16 to 235, Cb and Cr 16 to 240), the convention for HD video;
// each chroma sample is the mean of its 2x2 block of pixels. A frame crosses
// back from the GPU at 1.5 bytes a pixel instead of 4, through the same ring
// of pixel buffers as vroFrameReader, and the encoder converts nothing.
class vroYuvConverter {
public:
    // Both sizes even, as 4:2:0 needs; height * 3 / 2 no more than GL's
    // largest renderbuffer.
    vroYuvConverter(int width, int height, int slots = 2);
    ~vroYuvConverter();

    vroYuvConverter(const vroYuvConverter&) = delete;
    vroYuvConverter& operator=(const vroYuvConverter&) = delete;

    // Converts the lower left width x height pixels of the framebuffer bound
    // for reading and starts reading the planes back; the framebuffers,
    // viewport and program in use before are in use again after. Needs a free
    // slot (pending() < slots()).
    void Queue();
    // The oldest queued frame's planes, width * height * 3 / 2 bytes; waits
    // for them if the copy is still running. Valid until the next Take.
    const std::vector<std::uint8_t>& Take() { return reader.Take(); }

    int pending() const { return reader.pending(); }
    int slots() const { return reader.slots(); }

private:
    void convert();

    int width;
    int height;
    int texels;             // the target's width: a row's bytes, one or four to a texel
    vroTexture picture;     // the frame, copied to be sampled
    GLuint planes = 0;      // `texels` x height * 3 / 2
    GLuint framebuffer = 0; // draws into `planes`
    vroShaderProgram luma;
    vroShaderProgram chroma;
    vroFSQuad quad;
    vroFrameReader reader;
};
