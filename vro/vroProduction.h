#pragma once

#include <memory>

class vroEngine;
struct vroDeclaration;

// What a production implements for the programs built on the engine: its
// own objects and its frame. It is made right after the engine and its
// declared music and tracks (vroShow), registers the rest of its assets and
// makes its GL objects in its constructor; the engine then loads, Setup
// runs once, and RunFrame once a frame. It goes before the engine does.
class vroProduction {
public:
    virtual ~vroProduction() = default;

    // After loading, with the music started.
    virtual void Setup() {}
    // One frame; the engine's IsRunning has fixed its sync row.
    virtual void RunFrame() = 0;
};

// Every production provides these two: its code makes the production for an
// engine, and its build writes the declaration.
std::unique_ptr<vroProduction> vroCreateProduction(vroEngine& engine);
const vroDeclaration& vroProductionDeclaration();
