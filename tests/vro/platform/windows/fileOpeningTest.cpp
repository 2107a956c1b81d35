// Opening data files on Windows: the sync player's track files
// (ext/sync/fileOpenWindows.cpp) and the audio layer's music
// (ext/bass/bassByteSourceFileWindows.cpp).
#include "bassByteSource.h"
#include "testFiles.h"
#include "trackfile.h"

#include <cerrno>
#include <fstream>

#include <gtest/gtest.h>

TEST(FileOpeningTest, OnlyAFileOpensUnderItsUtf8NameAndKeepsItsBytes)
{
    testing_support::TempDir dir;
    std::ofstream(dir.path() / std::filesystem::u8path("m\xC3\xBCsik und ton.bin"), std::ios::binary) << "ab\ncd\r\n";
    std::filesystem::create_directory(dir.path() / "folder");
    const std::string in = dir.path().u8string() + "\\";
    const struct {
        std::string path;
        int syncErrno; // 0: opens
    } cases[] = {{in + "m\xC3\xBCsik und ton.bin", 0}, {in + "folder", EISDIR}, {"NUL", ENODEV}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        errno = 0;
        void* track = sync_stdio_callbacks.open(c.path.c_str(), "rb");
        EXPECT_EQ(errno, c.syncErrno);
        if (track) {
            char bytes[16];
            EXPECT_EQ(sync_stdio_callbacks.read(bytes, 1, sizeof bytes, track), 7u); // binary: \r\n stays
            sync_stdio_callbacks.close(track);
        }
        const std::unique_ptr<bassByteSource> music = bassByteSource::openFile(c.path);
        EXPECT_EQ(music != nullptr, c.syncErrno == 0);
        EXPECT_EQ(music ? music->size() : 7u, 7u);
    }
}
