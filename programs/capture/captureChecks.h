#pragma once

#include "captureOptions.h"

// What can be known wrong before anything is drawn: one line on standard
// error for the first problem found, and false.
bool checkBeforeLoading(const CaptureOptions& options);

// The largest picture the GL implementation renders into, from a small
// hidden window's context: the least of its renderbuffer, viewport and
// framebuffer limits.
int largestPictureSide();
