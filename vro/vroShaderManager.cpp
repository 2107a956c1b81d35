#include "vroShaderManager.h"

#include "vroProgressBar.h"
#include "vroUtils.h"

#include <cstdio>
#include <filesystem>

namespace {

std::string readSource(const std::string& file)
{
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(file, ignored))
        std::fprintf(stderr, "shader: cannot read \"%s\"\n", file.c_str());
    return vroUtils::ReadTextFile(file);
}

} // namespace

vroShaderManager::vroShaderManager(vroEngine* owner) : engine(owner)
{
}

void vroShaderManager::addShader(std::string name, std::string vertexFile, std::string fragmentFile)
{
    ++count;
    names.push_back(std::move(name));
    vertexFiles.push_back(std::move(vertexFile));
    fragmentFiles.push_back(std::move(fragmentFile));
}

void vroShaderManager::Load(vroProgressBar& progressBar)
{
    for (size_t i = 0; i < names.size(); ++i) {
        std::string vertexSource = readSource(vertexFiles[i]);
        progressBar.Advance();
        std::string fragmentSource = readSource(fragmentFiles[i]);
        progressBar.Advance();
        // A program built for a name already present is dropped at once.
        auto program = std::make_unique<vroShaderProgram>(std::move(vertexSource), std::move(fragmentSource),
                                                          vroShaderLabel{names[i], vertexFiles[i], fragmentFiles[i]});
        programs.emplace(names[i], std::move(program));
        progressBar.Advance();
    }
}

vroShaderProgram* vroShaderManager::getShader(std::string name)
{
    return programs.at(name).get();
}
