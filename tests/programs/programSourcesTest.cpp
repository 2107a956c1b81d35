// The programs are built for every production from one set of sources: none
// of their files names a production of productions/ or includes a header of
// one. They reach a production through vroProduction.h alone.
#include "testFiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>

namespace fs = std::filesystem;
using testing_support::sourceDir;

namespace {

std::string contents(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<fs::path> filesUnder(const fs::path& folder)
{
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    return files;
}

TEST(ProgramSources, NameNoProductionAndIncludeNoneOfItsHeaders)
{
    std::set<std::string> names;
    std::set<std::string> headers;
    for (const fs::directory_entry& production : fs::directory_iterator(sourceDir() / "productions")) {
        if (!production.is_directory())
            continue;
        names.insert(production.path().filename().string());
        for (const fs::path& file : filesUnder(production.path()))
            if (file.extension() == ".h")
                headers.insert(file.filename().string());
    }
    ASSERT_TRUE(names.count("kelvandrix")) << "the check reads the productions where they are";
    ASSERT_TRUE(headers.count("kelvandrixScene.h"));

    const std::regex include(R"(#\s*include\s*[<"]([^>"]+)[>"])");
    size_t checked = 0;
    for (const fs::path& file : filesUnder(sourceDir() / "programs")) {
        const std::string text = contents(file);
        for (const std::string& name : names) {
            const std::regex word("\\b" + name + "\\b", std::regex::icase);
            EXPECT_FALSE(std::regex_search(text, word)) << file << " names the production " << name;
        }
        for (std::sregex_iterator found(text.begin(), text.end(), include), end; found != end; ++found)
            EXPECT_FALSE(headers.count(fs::path((*found)[1].str()).filename().string()))
                << file << " includes " << (*found)[1].str();
        ++checked;
    }
    EXPECT_GT(checked, 40u) << "every program's files";
}

} // namespace
