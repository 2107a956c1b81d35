#pragma once

#include "captureOptions.h"

#include <optional>
#include <string>

// What can be known wrong before anything is drawn: one line on standard
// error for the first problem found, and nothing. Else the options, with a
// video's conversion settled by the renderer when they leave it open: on a
// software renderer the GPU's work is the CPU's, on the cores that draw,
// and ffmpeg converts beside them for less.
std::optional<CaptureOptions> checkBeforeLoading(CaptureOptions options);

// What the GL implementation is, from a small hidden window's context.
struct RendererFacts {
    // The largest picture it renders into: the least of its renderbuffer,
    // viewport and framebuffer limits.
    int largestSide = 0;
    std::string name; // GL_RENDERER
};
RendererFacts probeRenderer();
