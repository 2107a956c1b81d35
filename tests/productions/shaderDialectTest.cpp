// Every shader file of every production in productions/, of the engine and
// of the baseline, behind the
// engine's prelude for each dialect, checked by the reference compiler: a
// desktop-only function or an implicit conversion in the common subset fails
// here before a browser meets it. No display needed.
#include "vroShaderPrelude.h"

#include "childProcess.h"
#include "testFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

struct DialectCase {
    fs::path file;
    vroShaderPrelude::Dialect dialect;
    std::string name;
};

std::vector<DialectCase> everyFileInBothDialects()
{
    std::vector<DialectCase> cases;
    // Each folder with the name its cases begin with.
    std::vector<std::pair<std::string, fs::path>> folders = {{"engine", sourceDir() / "vro" / "data"},
                                                            {"baseline", sourceDir() / "bench" / "shaders" / "baseline"}};
    for (const fs::directory_entry& production : fs::directory_iterator(sourceDir() / "productions"))
        if (fs::is_directory(production.path() / "shaders"))
            folders.emplace_back(production.path().filename().string(), production.path() / "shaders");
    std::sort(folders.begin(), folders.end());
    for (const auto& [owner, folder] : folders) {
        std::vector<fs::path> files;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder))
            if (entry.path().extension() == ".vs" || entry.path().extension() == ".fs")
                files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        const std::string where = owner + "_";
        for (const fs::path& file : files) {
            std::string stem = where + file.stem().string() + "_" + file.extension().string().substr(1);
            cases.push_back({file, vroShaderPrelude::Dialect::desktop, stem + "_desktop"});
            cases.push_back({file, vroShaderPrelude::Dialect::es, stem + "_es"});
        }
    }
    return cases;
}

void PrintTo(const DialectCase& c, std::ostream* out)
{
    *out << c.name;
}

class ShaderDialect : public ::testing::TestWithParam<DialectCase> {};

TEST_P(ShaderDialect, CompilesWithoutAWord)
{
    const DialectCase& c = GetParam();
    const std::string source = readFile(c.file);
    ASSERT_FALSE(source.empty()) << c.file;
    EXPECT_FALSE(vroShaderPrelude::hasOwnVersion(source)) << "the prelude gives the version, not the file";
    const TempDir dir;
    // The validator takes the stage from the name's extension.
    const std::string prepared = c.file.filename().string() + (c.file.extension() == ".vs" ? ".vert" : ".frag");
    dir.write(prepared, vroShaderPrelude::Apply(source, c.dialect));
    ChildProcess validator(KELVANDRIX_GLSLANG_VALIDATOR, dir.path(), {prepared});
    EXPECT_EQ(validator.waitForExit(std::chrono::seconds(60)), 0) << validator.standardOutput();
    EXPECT_EQ(validator.standardOutput() + validator.standardError(), "") << "warnings count as failures";
}

INSTANTIATE_TEST_SUITE_P(glslang, ShaderDialect, ::testing::ValuesIn(everyFileInBothDialects()),
                         [](const auto& info) { return info.param.name; });

} // namespace
