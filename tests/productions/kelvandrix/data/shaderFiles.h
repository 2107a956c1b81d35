#pragma once

#include <filesystem>
#include <string>
#include <vector>

// The shader files of the production's shaders/ and the programs it and the
// engine build from them.
struct ShaderPair {
    std::string vertexFile;
    std::string fragmentFile;
};

std::filesystem::path shaderFile(const std::string& name);
const std::vector<std::string>& vertexShaderFiles();
const std::vector<std::string>& fragmentShaderFiles();
// Every fragment shader with each vertex shader that can feed it.
std::vector<ShaderPair> everyShaderPair();
