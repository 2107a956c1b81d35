#include "sync.h"
#include "testFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

namespace {

const char* const kLoadLine = "DEBUG: Getting track data\n";

std::string littleEndian(uint64_t bits, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((bits >> (8 * i)) & 0xFF);
    return out;
}

std::string countField(uint64_t count)
{
    return littleEndian(count, 8);
}

std::string keyField(int32_t row, float value, uint8_t kind)
{
    uint32_t valueBits;
    std::memcpy(&valueBits, &value, sizeof valueBits);
    return littleEndian(static_cast<uint32_t>(row), 4) + littleEndian(valueBits, 4) + static_cast<char>(kind);
}

struct Loaded {
    const sync_track* track;
    std::string out;
    std::string err;
};

// A device on a fresh working folder holding the files a test writes.
class SyncDeviceTest : public ::testing::Test {
protected:
    SyncDeviceTest() : workingDir(dir.path()), device(sync_create_device("kelvandrix_sync")) {}
    ~SyncDeviceTest() override { sync_destroy_device(device); }

    void writeTrack(const std::string& name, const std::string& bytes)
    {
        dir.write("kelvandrix_sync_" + name + ".track", bytes);
    }

    Loaded load(const char* name)
    {
        CaptureStdout();
        CaptureStderr();
        const sync_track* track = sync_get_track(device, name);
        Loaded loaded{track, GetCapturedStdout(), ""};
        loaded.err = GetCapturedStderr();
        return loaded;
    }

    // Loads a bad file: one load line, one repair line naming the file.
    const sync_track* loadRepaired(const std::string& name, const std::string& bytes, const std::string& problem)
    {
        writeTrack(name, bytes);
        const Loaded loaded = load(name.c_str());
        EXPECT_EQ(loaded.out, kLoadLine);
        EXPECT_EQ(loaded.err, "sync: \"kelvandrix_sync_" + name + ".track\" " + problem + "\n");
        return loaded.track;
    }

    testing_support::TempDir dir;
    testing_support::WorkingDir workingDir;
    sync_player* device;
};

void expectKey(const sync_track* track, int index, int32_t row, float value, sync_key_kind kind)
{
    ASSERT_LT(index, track->key_count);
    EXPECT_EQ(track->keys[index].row, row) << "key " << index;
    EXPECT_EQ(track->keys[index].value, value) << "key " << index;
    EXPECT_EQ(track->keys[index].kind, kind) << "key " << index;
}

} // namespace

TEST_F(SyncDeviceTest, ReadsAWellFormedFileNamedFromBaseAndTrack)
{
    // Spelled out byte by byte: count 4, then one key of each kind.
    writeTrack("part", std::string("\x04\0\0\0\0\0\0\0", 8)
                           + std::string("\xff\xff\xff\xff" "\x00\x00\x80\x3f" "\x00", 9)  // -1, 1.0, step
                           + std::string("\x00\x00\x00\x00" "\x00\x00\x00\x40" "\x01", 9)  // 0, 2.0, linear
                           + std::string("\x08\x00\x00\x00" "\x00\x00\x40\xc0" "\x02", 9)  // 8, -3.0, smooth
                           + std::string("\x00\x01\x00\x00" "\x00\x00\x80\x3e" "\x03", 9)); // 256, 0.25, ramp
    const Loaded loaded = load("part");
    EXPECT_EQ(loaded.out, kLoadLine);
    EXPECT_EQ(loaded.err, "");
    ASSERT_EQ(loaded.track->key_count, 4);
    EXPECT_STREQ(loaded.track->name, "part");
    expectKey(loaded.track, 0, -1, 1.0f, SYNC_KEY_STEP);
    expectKey(loaded.track, 1, 0, 2.0f, SYNC_KEY_LINEAR);
    expectKey(loaded.track, 2, 8, -3.0f, SYNC_KEY_SMOOTH);
    expectKey(loaded.track, 3, 256, 0.25f, SYNC_KEY_RAMP);
    EXPECT_DOUBLE_EQ(sync_get_val(loaded.track, 4.0), -0.5);
}

TEST_F(SyncDeviceTest, EmptyAndMissingFilesGiveTracksWithoutKeys)
{
    writeTrack("empty", countField(0));
    const Loaded empty = load("empty");
    const Loaded missing = load("missing");
    for (const Loaded& loaded : {empty, missing}) {
        EXPECT_EQ(loaded.out, kLoadLine);
        EXPECT_EQ(loaded.err, "");
        ASSERT_NE(loaded.track, nullptr);
        EXPECT_EQ(loaded.track->key_count, 0);
        EXPECT_EQ(loaded.track->keys, nullptr);
        EXPECT_EQ(sync_get_val(loaded.track, 12.5), 0.0);
    }
}

TEST_F(SyncDeviceTest, CountUsesOnlyItsLowFourBytes)
{
    writeTrack("part", countField(0xDEADBEEF00000002ull) + keyField(0, 1.0f, 1) + keyField(8, 3.0f, 0));
    const Loaded loaded = load("part");
    EXPECT_EQ(loaded.err, "");
    EXPECT_EQ(loaded.track->key_count, 2);
    EXPECT_DOUBLE_EQ(sync_get_val(loaded.track, 2.0), 1.5);
}

TEST_F(SyncDeviceTest, EachTrackIsReadOnceAndStaysPut)
{
    const Loaded first = load("shader_A");
    const Loaded again = load("shader_A");
    EXPECT_EQ(first.out, kLoadLine);
    EXPECT_EQ(again.out, "");
    EXPECT_EQ(first.track, again.track);

    // Many more tracks make the table grow; handed-out tracks do not move.
    CaptureStdout();
    std::vector<const sync_track*> tracks;
    for (int i = 0; i < 40; ++i)
        tracks.push_back(sync_get_track(device, ("t" + std::to_string(i)).c_str()));
    EXPECT_EQ(GetCapturedStdout().size(), 40 * std::strlen(kLoadLine));
    EXPECT_EQ(device->tracks.item_count, 41u);
    EXPECT_EQ(sync_get_track(device, "shader_A"), first.track);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(sync_get_track(device, ("t" + std::to_string(i)).c_str()), tracks[i]);
        EXPECT_EQ(tracks[i]->name, "t" + std::to_string(i));
    }
}

namespace {

struct IoLog {
    std::vector<std::string> opened;
    std::string mode;
    int closed = 0;
    std::FILE* file = nullptr;
};
IoLog ioLog;

void* logOpen(const char* path, const char* mode)
{
    ioLog.opened.push_back(path);
    ioLog.mode = mode;
    ioLog.file = std::fopen(path, mode);
    return ioLog.file;
}

size_t logRead(void* destination, size_t size, size_t count, void* handle)
{
    return std::fread(destination, size, count, static_cast<std::FILE*>(handle));
}

int logClose(void* handle)
{
    ++ioLog.closed;
    return std::fclose(static_cast<std::FILE*>(handle));
}

} // namespace

TEST_F(SyncDeviceTest, OpensThroughTheGivenCallbacksOnlyNamesThatFit)
{
    ioLog = IoLog{};
    const sync_io_callbacks callbacks = {logOpen, logRead, logClose};
    sync_set_io_cb(device, &callbacks);
    writeTrack("part", countField(1) + keyField(3, 7.0f, 0));
    const Loaded part = load("part");
    ASSERT_EQ(ioLog.opened.size(), 1u);
    EXPECT_EQ(ioLog.opened[0], "kelvandrix_sync_part.track");
    EXPECT_EQ(ioLog.mode, "rb");
    EXPECT_EQ(ioLog.closed, 1);
    EXPECT_EQ(sync_get_val(part.track, 0.0), 7.0);

    // 15 + 1 + 1001 + 6 = 1023 characters still fit the name buffer...
    const std::string longest(1001, 'x');
    load(longest.c_str());
    ASSERT_EQ(ioLog.opened.size(), 2u);
    EXPECT_EQ(ioLog.opened[1].size(), 1023u);

    // ...one more is never opened, not even cut short.
    const std::string tooLong(1002, 'x');
    const Loaded loaded = load(tooLong.c_str());
    EXPECT_EQ(ioLog.opened.size(), 2u);
    EXPECT_EQ(loaded.out, kLoadLine);
    EXPECT_EQ(loaded.err, "sync: \"kelvandrix_sync_" + tooLong
                              + ".track\" has a name longer than 1023 characters: not opened, no keys\n");
    EXPECT_EQ(loaded.track->key_count, 0);
}

TEST_F(SyncDeviceTest, TruncatedFilesKeepTheirWholeKeys)
{
    const sync_track* track = loadRepaired("part", countField(5) + keyField(0, 1.0f, 1) + keyField(8, 2.0f, 1)
                                               + keyField(16, 3.0f, 0) + keyField(24, 4.0f, 0).substr(0, 6),
                                           "is truncated: 3 of 5 keys read");
    ASSERT_EQ(track->key_count, 3);
    expectKey(track, 2, 16, 3.0f, SYNC_KEY_STEP);
    EXPECT_DOUBLE_EQ(sync_get_val(track, 12.0), 2.5);

    const sync_track* huge = loadRepaired("huge", countField(0x7FFFFFFF) + keyField(0, 1.0f, 1) + keyField(8, 3.0f, 0),
                                          "is truncated: 2 of 2147483647 keys read");
    EXPECT_EQ(huge->key_count, 2);
}

// None may stop the show: a folder would open and fail every read, a FIFO
// without a writer would block the opening for ever.
TEST_F(SyncDeviceTest, AFolderADeviceOrAFifoInPlaceOfAFileGivesNoKeysAndOneLine)
{
    std::filesystem::create_directory(dir.file("kelvandrix_sync_folder.track"));
    const Loaded folder = load("folder");
    EXPECT_EQ(folder.out, kLoadLine);
    EXPECT_EQ(folder.err, "sync: cannot read \"kelvandrix_sync_folder.track\": Is a directory, no keys\n");
    EXPECT_EQ(folder.track->key_count, 0);

    // A device could deliver all the keys it announces, billions of them.
    std::filesystem::create_symlink("/dev/zero", dir.file("kelvandrix_sync_device.track"));
    const Loaded device = load("device");
    EXPECT_EQ(device.err, "sync: cannot read \"kelvandrix_sync_device.track\": No such device, no keys\n");
    EXPECT_EQ(device.track->key_count, 0);

    ASSERT_EQ(mkfifo(dir.file("kelvandrix_sync_fifo.track").c_str(), 0644), 0);
    const Loaded fifo = load("fifo");
    EXPECT_EQ(fifo.err,
              "sync: \"kelvandrix_sync_fifo.track\" is truncated: the 8-byte key count is incomplete, no keys\n");
    EXPECT_EQ(fifo.track->key_count, 0);
}

TEST_F(SyncDeviceTest, CountsThatCannotBeUsedGiveNoKeys)
{
    const sync_track* shorter
        = loadRepaired("short", std::string("\x02\0\0", 3), "is truncated: the 8-byte key count is incomplete, no keys");
    EXPECT_EQ(shorter->key_count, 0);
    EXPECT_EQ(sync_get_val(shorter, 1.0), 0.0);

    const sync_track* negative = loadRepaired("negative", countField(0xFFFFFFF6u) + keyField(0, 1.0f, 0),
                                              "has a negative key count (-10): no keys");
    EXPECT_EQ(negative->key_count, 0);
    EXPECT_EQ(negative->keys, nullptr);
}

TEST_F(SyncDeviceTest, UnknownKindsAreHeldAsStepsReadWithTheirSign)
{
    const sync_track* track
        = loadRepaired("part", countField(3) + keyField(0, 1.0f, 0xFF) + keyField(8, 3.0f, 4) + keyField(16, 5.0f, 0),
                       "has 2 keys of unknown kind held as steps (first: key 0, kind -1)");
    ASSERT_EQ(track->key_count, 3);
    expectKey(track, 0, 0, 1.0f, SYNC_KEY_STEP);
    expectKey(track, 1, 8, 3.0f, SYNC_KEY_STEP);
    EXPECT_EQ(sync_get_val(track, 7.5), 1.0);
    EXPECT_EQ(sync_get_val(track, 12.0), 3.0);
}

TEST_F(SyncDeviceTest, KeysOutOfRowOrderAreDropped)
{
    // Key 2 repeats row 8, key 3 goes back to row 4: both dropped.
    const sync_track* track = loadRepaired("part", countField(5) + keyField(0, 0.0f, 1) + keyField(8, 1.0f, 1)
                                               + keyField(8, 9.0f, 1) + keyField(4, 9.0f, 1) + keyField(16, 2.0f, 0),
                                           "has 2 keys out of row order dropped (first: key 2, row 8 after row 8)");
    ASSERT_EQ(track->key_count, 3);
    expectKey(track, 1, 8, 1.0f, SYNC_KEY_LINEAR);
    expectKey(track, 2, 16, 2.0f, SYNC_KEY_STEP);
    for (double row = 0.0; row < 20.0; row += 0.25)
        EXPECT_FALSE(std::isnan(sync_get_val(track, row))) << row;
    EXPECT_DOUBLE_EQ(sync_get_val(track, 12.0), 1.5);
}

TEST_F(SyncDeviceTest, SeveralProblemsMakeOneLine)
{
    const sync_track* track
        = loadRepaired("part", countField(4) + keyField(8, 1.0f, 0x80) + keyField(0, 2.0f, 0) + keyField(9, 3.0f, 0),
                       "is truncated: 3 of 4 keys read; has 1 key of unknown kind held as a step (first: key 0, kind "
                       "-128); has 1 key out of row order dropped (first: key 1, row 0 after row 8)");
    EXPECT_EQ(track->key_count, 2);
}

#if !defined(__SANITIZE_ADDRESS__)
namespace {

// Exits 0 when the track loads its keys with the address space capped.
void loadWithAddressSpaceCapped(sync_player* device, rlim_t bytes)
{
    const rlimit limit = {bytes, bytes};
    setrlimit(RLIMIT_AS, &limit);
    std::exit(sync_get_track(device, "part")->key_count == 2 ? 0 : 1);
}

} // namespace

// The announced count would take 24 GB; with the address space capped far
// below that, the keys still load because the array grows with what is read.
TEST_F(SyncDeviceTest, AHugeAnnouncedCountAllocatesOnlyWhatIsRead)
{
    writeTrack("part", countField(0x7FFFFFFF) + keyField(0, 1.0f, 1) + keyField(8, 3.0f, 0));
    EXPECT_EXIT(loadWithAddressSpaceCapped(device, rlim_t(1) << 30), ::testing::ExitedWithCode(0), "");
}
#endif

TEST(SyncTableDeathTest, DuplicateTrackNamesStopWithTheirPlace)
{
    sync_track_table table = {nullptr, 0};
    EXPECT_EQ(sync_create_track(&table, "a"), 0);
    EXPECT_EQ(sync_create_track(&table, "b"), 1);
    EXPECT_DEATH(sync_create_track(&table, "a"),
                 "assertion \"sync_find_track\\(d, name\\) < 0\" failed in sync_create_track \\(.*data\\.cpp:[0-9]+\\)");
    sync_data_deinit(&table);
    EXPECT_EQ(table.items, nullptr);
    EXPECT_EQ(table.item_count, 0u);
}

TEST_F(SyncDeviceTest, SettingKeysReplacesThemInPlaceOrRefusesWithoutChange)
{
    writeTrack("part", countField(1) + keyField(0, 1.0f, 0));
    const sync_track* track = load("part").track;
    const sync_key fresh[] = {{0, 2.0f, SYNC_KEY_LINEAR}, {8, 4.0f, SYNC_KEY_STEP}};
    ASSERT_EQ(sync_set_track_keys(device, "part", fresh, 2), 0);
    EXPECT_EQ(sync_get_track(device, "part"), track); // handed-out pointers stay valid
    EXPECT_DOUBLE_EQ(sync_get_val(track, 4.0), 3.0);

    const sync_key unordered[] = {{8, 1.0f, SYNC_KEY_STEP}, {8, 5.0f, SYNC_KEY_STEP}};
    const sync_key badKind[] = {{0, 1.0f, static_cast<sync_key_kind>(7)}};
    EXPECT_EQ(sync_set_track_keys(device, "part", unordered, 2), -1);
    EXPECT_EQ(sync_set_track_keys(device, "part", badKind, 1), -1);
    EXPECT_EQ(sync_set_track_keys(device, "part", fresh, -1), -1);
    EXPECT_EQ(sync_set_track_keys(device, "never_asked", fresh, 2), -1);
    EXPECT_DOUBLE_EQ(sync_get_val(track, 4.0), 3.0);

    ASSERT_EQ(sync_set_track_keys(device, "part", nullptr, 0), 0);
    EXPECT_EQ(track->keys, nullptr);
    EXPECT_EQ(sync_get_val(track, 4.0), 0.0);
}
