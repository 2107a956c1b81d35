#pragma once

#include "vroShaderProgram.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class vroEngine;
class vroProgressBar;

// Named shader programs. Registration records names only; Load reads the
// source files and builds every program behind the loading bar.
class vroShaderManager {
public:
    explicit vroShaderManager(vroEngine* engine);

    vroShaderManager(const vroShaderManager&) = delete;
    vroShaderManager& operator=(const vroShaderManager&) = delete;

    void addShader(std::string name, std::string vertexFile, std::string fragmentFile);
    // Three steps per registration: vertex file read, fragment file read,
    // program built.
    int HowManyItems() const { return count * 3; }
    void Load(vroProgressBar& progressBar);
    // Throws std::out_of_range for a name that was never built.
    vroShaderProgram* getShader(std::string name);

private:
    std::map<std::string, std::unique_ptr<vroShaderProgram>> programs;
    std::vector<std::string> names;
    std::vector<std::string> vertexFiles;
    std::vector<std::string> fragmentFiles;
    int count = 0;
    vroEngine* engine;
};
