#pragma once

// The platform's sound system, running while the layer is started with
// sound: SDL2's audio on the desktop (bassSoundSystem.cpp), Web Audio in the
// browser (bassSoundSystemWeb.cpp).
class bassSoundSystem {
public:
    // Null once it runs, else why there is nothing to play on.
    static const char* open();
    // Only after open() succeeded.
    static void close();
};
