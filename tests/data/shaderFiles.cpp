#include "shaderFiles.h"

#include "testFiles.h"

std::filesystem::path shaderFile(const std::string& name)
{
    return testing_support::sourceDir() / "data" / "shaders" / name;
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
            pairs.push_back({vertex, fragment});
    return pairs;
}
