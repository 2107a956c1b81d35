#pragma once

#include <string>

// What goes in front of a shader source so that the platform's GL compiles
// it. The production's shaders are written in the common subset of GLSL 4.10
// core and GLSL ES 3.00 and carry no #version line: the prelude gives the
// version, ES's default precisions, and a #line that numbers the source's
// first line 1 again, so that the compiler's messages name the lines of the
// file as its author sees them.
class vroShaderPrelude {
public:
    enum class Dialect {
        desktop, // GLSL 4.10 core
        es,      // GLSL ES 3.00, as WebGL 2 takes it
    };

    // The dialect of the platform being compiled for.
    static Dialect platform();
    // The text put in front of a source, ending in a newline.
    static std::string text(Dialect dialect);
    // The source with the prelude in front; a source that names its own
    // version (a #version line before anything but comments and white space)
    // is taken as it is.
    static std::string Apply(const std::string& source, Dialect dialect = platform());
    static bool hasOwnVersion(const std::string& source);
};
