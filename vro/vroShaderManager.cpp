#include "vroShaderManager.h"

#include "vroProgressBar.h"
#include "vroUtils.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace {

// The largest scene is 13 kB. A source file of gigabytes (a stray copy, a
// sparse file) would be read for a minute and handed whole to the compiler.
constexpr std::uintmax_t kLargestSource = 1 << 20;

// Some editors begin a UTF-8 file with a byte order mark, which the GLSL
// preprocessor refuses with a complaint about the first '#'.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

} // namespace

std::optional<std::string> vroShaderManager::readSource(const std::string& path, std::string& problem) const
{
    std::error_code ignored;
    const std::filesystem::path file = std::filesystem::u8path(path);
    // Opened once on trial: a file without permission to read would otherwise
    // come through as an empty text, named only by the compiler's complaint.
    if (!std::filesystem::is_regular_file(file, ignored) || !std::ifstream(file)) {
        problem = "cannot be read";
        return std::nullopt;
    }
    const std::uintmax_t size = std::filesystem::file_size(file, ignored);
    if (size > kLargestSource) {
        problem = std::to_string(size) + " bytes, more than the "
                  + std::to_string(kLargestSource) + " a source may have";
        return std::nullopt;
    }
    std::string text = vroUtils::ReadTextFile(path);
    if (text.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0)
        text.erase(0, kByteOrderMark.size());
    // The compiler reads the text only up to its first NUL byte: the rest
    // would be dropped without a word.
    if (const size_t nul = text.find('\0'); nul != std::string::npos) {
        problem = "a NUL byte at offset " + std::to_string(nul) + ": not a shader source";
        return std::nullopt;
    }
    return text;
}

std::optional<std::string> vroShaderManager::readSourceReported(const std::string& program,
                                                                const std::string& file) const
{
    const std::string path = sourcePath(file);
    std::string problem;
    std::optional<std::string> text = readSource(path, problem);
    // Named with its program, as the compiler's lines are: one file may serve
    // several programs, and each of them is left without it.
    if (!text)
        std::fprintf(stderr, "shader: \"%s\" \"%s\": %s\n", program.c_str(), path.c_str(), problem.c_str());
    return text;
}

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
        std::optional<std::string> vertexSource = readSourceReported(names[i], vertexFiles[i]);
        progressBar.Advance();
        std::optional<std::string> fragmentSource = readSourceReported(names[i], fragmentFiles[i]);
        progressBar.Advance();
        // An unread file is already named; what the compiler says about the
        // empty text in its place would add nothing.
        const auto report = vertexSource && fragmentSource ? vroShaderProgram::Report::toStandardError
                                                           : vroShaderProgram::Report::quietly;
        // A program built for a name already present is dropped at once.
        auto program = std::make_unique<vroShaderProgram>(
            std::move(vertexSource).value_or(""), std::move(fragmentSource).value_or(""),
            vroShaderLabel{names[i], vertexFiles[i], fragmentFiles[i]}, report);
        programs.emplace(names[i], std::move(program));
        progressBar.Advance();
    }
}

vroShaderProgram* vroShaderManager::getShader(std::string name)
{
    return programs.at(name).get();
}

void vroShaderManager::setSourceFolders(std::vector<std::string> folders)
{
    sourceFolders = std::move(folders);
}

std::string vroShaderManager::sourcePath(const std::string& file) const
{
    std::error_code ignored;
    for (const std::string& folder : sourceFolders) {
        const std::filesystem::path candidate = std::filesystem::u8path(folder) / std::filesystem::u8path(file);
        if (std::filesystem::is_regular_file(candidate, ignored))
            return candidate.u8string();
    }
    return file;
}

std::vector<std::string> vroShaderManager::getSourceFiles() const
{
    std::vector<std::string> files(vertexFiles);
    files.insert(files.end(), fragmentFiles.begin(), fragmentFiles.end());
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    return files;
}

std::vector<std::string> vroShaderManager::programsUsing(const std::string& file) const
{
    std::vector<std::string> users;
    for (size_t i = 0; i < names.size(); ++i)
        if ((vertexFiles[i] == file || fragmentFiles[i] == file) && programs.count(names[i]))
            users.push_back(names[i]);
    std::sort(users.begin(), users.end());
    users.erase(std::unique(users.begin(), users.end()), users.end());
    return users;
}

std::string vroShaderManager::Rebuild(const std::string& name)
{
    const auto registered = std::find(names.begin(), names.end(), name);
    assert(registered != names.end() && programs.count(name) && "only a loaded program is rebuilt");
    const size_t i = static_cast<size_t>(registered - names.begin());
    const std::string vertexPath = sourcePath(vertexFiles[i]), fragmentPath = sourcePath(fragmentFiles[i]);
    std::string vertexProblem, fragmentProblem;
    std::optional<std::string> vertexSource = readSource(vertexPath, vertexProblem);
    std::optional<std::string> fragmentSource = readSource(fragmentPath, fragmentProblem);
    // A file that cannot be read is the problem, not what the compiler would
    // say about the empty text in its place. Lines in the compiler's form:
    // the file, then what is wrong with it.
    if (!vertexSource || !fragmentSource) {
        std::string problems;
        if (!vertexSource)
            problems += vertexPath + ": " + vertexProblem + "\n";
        if (!fragmentSource)
            problems += fragmentPath + ": " + fragmentProblem + "\n";
        return problems;
    }
    auto program = std::make_unique<vroShaderProgram>(std::move(*vertexSource), std::move(*fragmentSource),
                                                      vroShaderLabel{name, vertexFiles[i], fragmentFiles[i]},
                                                      vroShaderProgram::Report::quietly);
    if (!program->isBuilt())
        return program->getProblems();
    programs[name] = std::move(program);
    return {};
}
