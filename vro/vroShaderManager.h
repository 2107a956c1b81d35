#pragma once

#include "vroShaderProgram.h"

#include <map>
#include <memory>
#include <optional>
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

    // Folders searched in order for each source file, before the file name
    // as it stands (relative to the working folder). Empty by default.
    void setSourceFolders(std::vector<std::string> folders);
    // Where a source file is read from: the first search folder holding it.
    std::string sourcePath(const std::string& file) const;
    // Every source file name registered, each once, in name order.
    std::vector<std::string> getSourceFiles() const;
    // The programs that read the source file of that name, in name order.
    std::vector<std::string> programsUsing(const std::string& file) const;
    // Builds the named program again from its files. When the new one does
    // not compile or link, or a file cannot be read, the previous one stays
    // in use and its problems ("file:line: message" lines, or "file: message"
    // for a file that cannot be read) are returned; empty when it was replaced.
    std::string Rebuild(const std::string& name);

private:
    // The text at that path; none, with what is wrong in a few words, when it
    // is not a file that can be read (missing, a folder, a FIFO that would
    // block) or is far larger than any shader.
    std::optional<std::string> readSource(const std::string& path, std::string& problem) const;
    // The text of one of the program's files, found in the source folders;
    // none, with the program and the file named on standard error.
    std::optional<std::string> readSourceReported(const std::string& program, const std::string& file) const;

    std::map<std::string, std::unique_ptr<vroShaderProgram>> programs;
    std::vector<std::string> names;
    std::vector<std::string> vertexFiles;
    std::vector<std::string> fragmentFiles;
    std::vector<std::string> sourceFolders;
    int count = 0;
    vroEngine* engine;
};
