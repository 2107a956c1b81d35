#pragma once

#include "captureOptions.h"
#include "vroShow.h"

// One whole capture of a production as the options ask: the range checked against the tune,
// its music written, every frame drawn and encoded, a summary line (and the
// cost table) on standard error. SIGINT, SIGTERM and SIGHUP stop it cleanly: the
// encoder is stopped and every unfinished file removed. False on failure.
bool runCapture(const CaptureOptions& options, const vroDeclaration& declaration, const vroShow::Factory& create);
