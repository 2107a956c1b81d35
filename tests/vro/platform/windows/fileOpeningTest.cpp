// Opening data files on Windows: the sync player's track files
// (ext/sync/fileOpenWindows.cpp) and the audio layer's music
// (ext/bass/bassByteSourceFileWindows.cpp).
#include "bassByteSource.h"
#include "testFiles.h"
#include "trackfile.h"

#include <cerrno>
#include <fstream>

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* what;
    std::string name; // UTF-8, under the test's folder unless absolute
    int syncErrno;    // 0: opens
};

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.what;
}

class FileOpeningTest : public ::testing::TestWithParam<Case> {
protected:
    FileOpeningTest()
    {
        std::ofstream(dir.path() / std::filesystem::u8path("m\xC3\xBCsik und ton.bin"), std::ios::binary)
            << std::string("ab\ncd\r\n", 7);
        std::filesystem::create_directory(dir.path() / "folder");
    }
    std::string pathOf(const std::string& name) const
    {
        return name.find(':') == std::string::npos && name != "NUL" ? (dir.path().u8string() + "\\" + name) : name;
    }
    testing_support::TempDir dir;
};

TEST_P(FileOpeningTest, OnlyAFileOpensAndKeepsItsBytes)
{
    const Case& c = GetParam();
    const std::string path = pathOf(c.name);
    errno = 0;
    void* track = sync_stdio_callbacks.open(path.c_str(), "rb");
    EXPECT_EQ(track != nullptr, c.syncErrno == 0);
    if (track) {
        char bytes[16];
        EXPECT_EQ(sync_stdio_callbacks.read(bytes, 1, sizeof bytes, track), 7u); // binary: \r\n stays
        sync_stdio_callbacks.close(track);
    } else {
        EXPECT_EQ(errno, c.syncErrno);
    }
    const std::unique_ptr<bassByteSource> music = bassByteSource::openFile(path);
    EXPECT_EQ(music != nullptr, c.syncErrno == 0);
    if (music) {
        EXPECT_EQ(music->size(), 7u);
    }
}

INSTANTIATE_TEST_SUITE_P(Names, FileOpeningTest,
                         ::testing::Values(Case{"NameWithSpaceAndUmlaut", "m\xC3\xBCsik und ton.bin", 0},
                                           Case{"Folder", "folder", EISDIR},
                                           Case{"Device", "NUL", ENODEV},
                                           Case{"Missing", "missing.bin", ENOENT},
                                           Case{"NoUtf8", "m\xFCsik.bin", EINVAL}),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.what); });

} // namespace
