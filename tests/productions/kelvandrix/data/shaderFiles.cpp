#include "shaderFiles.h"

#include "testFiles.h"

namespace {

// The ray-marched scenes and the post pass read what depends on the
// uniforms alone from the outputs of noTransform.vs, which the other vertex
// stage does not write.
bool readsTheFrameFromNoTransform(const std::string& fragment)
{
    return fragment == "rm_cubescape.fs" || fragment == "rm_pyramidgrid.fs" || fragment == "post.fs";
}

} // namespace

std::filesystem::path shaderFile(const std::string& name)
{
    // The read-out's shader is the engine's own, in every run folder.
    if (name == "debugtext.fs")
        return testing_support::sourceDir() / "vro" / "data" / name;
    return testing_support::sourceDir() / "productions" / "kelvandrix" / "shaders" / name;
}

const std::vector<std::string>& vertexShaderFiles()
{
    static const std::vector<std::string> files = {"noTransform.vs", "noTransform_flipY.vs"};
    return files;
}

const std::vector<std::string>& fragmentShaderFiles()
{
    static const std::vector<std::string> files = {"textured.fs", "addtext.fs",  "rm_cubescape.fs",
                                                   "rm_pyramidgrid.fs", "post.fs", "debugtext.fs"};
    return files;
}

std::vector<ShaderPair> everyShaderPair()
{
    std::vector<ShaderPair> pairs;
    for (const std::string& fragment : fragmentShaderFiles())
        for (const std::string& vertex : vertexShaderFiles())
            if (vertex == "noTransform.vs" || !readsTheFrameFromNoTransform(fragment))
                pairs.push_back({vertex, fragment});
    return pairs;
}
