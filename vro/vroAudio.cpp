#include "vroAudio.h"

#include "vroProgressBar.h"

#include "bass.h"
#include "sync.h"

#include <algorithm>
#include <cassert>

double kakRowRate = 0.0;

namespace {

constexpr int kRowsPerBeat = 8;
constexpr float kFullLevel = 32768.0f;

} // namespace

vroAudio::vroAudio()
{
    // A failure shows later as a stream that cannot be created.
    BASS_Init(-1, 44100, 0, nullptr, nullptr);
    syncDevice = sync_create_device("kelvandrix_sync");
}

vroAudio::~vroAudio()
{
    BASS_Free();
    if (syncDevice)
        sync_destroy_device(syncDevice);
}

void vroAudio::setTune(std::string file, double beatsPerMinute)
{
    hasTune = 1;
    kakRowRate = (beatsPerMinute / 60.0) * kRowsPerBeat;
    tuneFile = std::move(file);
}

int vroAudio::HowManyItems() const
{
    return hasTune;
}

// The bar advances once even without a tune, one step more than announced:
// the bar then reads full rather than short when loading ends.
void vroAudio::Load(vroProgressBar& bar)
{
    if (hasTune != 0) {
        stream = BASS_StreamCreateFile(FALSE, tuneFile.c_str(), 0, 0, 0);
        if (stream != 0)
            lengthSeconds = BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetLength(stream, BASS_POS_BYTE));
    }
    bar.Advance();
}

void vroAudio::Play()
{
    BASS_ChannelPlay(stream, FALSE);
}

void vroAudio::Pause()
{
    BASS_ChannelPause(stream);
}

bool vroAudio::ReplaceTune(std::vector<uint8_t> wavBytes)
{
    const HSTREAM fresh = BASS_StreamCreateFile(TRUE, wavBytes.data(), 0, wavBytes.size(), 0);
    if (fresh == 0)
        return false;
    const DWORD state = BASS_ChannelIsActive(stream);
    const double length = BASS_ChannelBytes2Seconds(fresh, BASS_ChannelGetLength(fresh, BASS_POS_BYTE));
    // A shorter tune goes on from its end: the player sees the music ended.
    const double at = std::min(GetPosition(), length);
    const QWORD atByte = BASS_ChannelSeconds2Bytes(fresh, at);
    BASS_ChannelSetPosition(fresh, atByte, BASS_POS_BYTE);
    if (state != BASS_ACTIVE_STOPPED)
        BASS_ChannelPlay(fresh, FALSE);
    // A stream never played is stopped, which reads as the music's end: a
    // paused one is played and paused, and put back where the output may
    // have got a hair beyond meanwhile.
    if (state == BASS_ACTIVE_PAUSED) {
        BASS_ChannelPause(fresh);
        BASS_ChannelSetPosition(fresh, atByte, BASS_POS_BYTE);
    }
    BASS_StreamFree(stream);
    stream = fresh;
    // The old image goes only after the stream that read it.
    tuneBytes = std::move(wavBytes);
    lengthSeconds = length;
    positionSeconds = at;
    return true;
}

bool vroAudio::SeekTo(double seconds)
{
    if (BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, seconds), BASS_POS_BYTE) == FALSE)
        return false;
    positionSeconds = seconds;
    return true;
}

void vroAudio::seekTo(double seconds)
{
    if (!SeekTo(seconds))
        positionSeconds = seconds;
}

void vroAudio::Forward(double seconds)
{
    seekTo(GetPosition() + seconds);
}

void vroAudio::Rewind(double seconds)
{
    seekTo(GetPosition() - seconds);
}

double vroAudio::GetPosition()
{
    positionSeconds = BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream, BASS_POS_BYTE));
    return positionSeconds;
}

double vroAudio::GetLength() const
{
    return lengthSeconds;
}

double vroAudio::GetBeat() const
{
    return positionSeconds;
}

float vroAudio::GetLevel()
{
    const DWORD level = BASS_ChannelGetLevel(stream);
    const DWORD mean = ((level & 0xFFFF) + (level >> 16)) / 2;
    return static_cast<float>(mean) / kFullLevel;
}

bool vroAudio::IsOK()
{
    currentRow = getRow();
    const DWORD state = BASS_ChannelIsActive(stream);
    if (state != BASS_ACTIVE_PLAYING && state != BASS_ACTIVE_PAUSED)
        return false;
    return lengthSeconds > GetPosition();
}

double vroAudio::getRow()
{
    return BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream, BASS_POS_BYTE)) * kakRowRate;
}

void vroAudio::setSyncBase(const std::string& base)
{
    assert(syncTracks.empty() && "the tracks' base name comes before the tracks");
    if (syncDevice)
        sync_destroy_device(syncDevice);
    syncDevice = sync_create_device(base.c_str());
}

void vroAudio::addSyncTrack(std::string name)
{
    if (!syncDevice)
        return;
    // The player hands out one track per name and reads its file only the
    // first time; a second registration keeps the first entry.
    if (const sync_track* track = sync_get_track(syncDevice, name.c_str()))
        syncTracks.emplace(std::move(name), track);
}

float vroAudio::getSyncValue(std::string name) const
{
    const auto found = syncTracks.find(name);
    if (found == syncTracks.end())
        return 0.0f;
    return static_cast<float>(sync_get_val(found->second, currentRow));
}

const sync_track* vroAudio::getSyncTrack(const std::string& name) const
{
    const auto found = syncTracks.find(name);
    return found == syncTracks.end() ? nullptr : found->second;
}

bool vroAudio::replaceSyncTracks(const std::map<std::string, std::vector<sync_key>>& keysByName)
{
    bool accepted = true;
    for (const auto& entry : syncTracks) {
        const auto keys = keysByName.find(entry.first);
        const bool listed = keys != keysByName.end();
        const sync_key* data = listed ? keys->second.data() : nullptr;
        const auto count = listed ? static_cast<int32_t>(keys->second.size()) : 0;
        accepted = sync_set_track_keys(syncDevice, entry.first.c_str(), data, count) == 0 && accepted;
    }
    return accepted;
}
