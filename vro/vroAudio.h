#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct sync_key;
struct sync_player;
struct sync_track;
class vroProgressBar;

// Sync rows per second of music (8 rows per beat), shared by every vroAudio:
// 0.0 until a tune is named.
extern double kakRowRate;

// The music and everything timed by it: plays the tune through the audio
// layer, turns its position into a sync row once per frame (IsOK) and reads
// the sync tracks at that row, so all values of one frame agree.
class vroAudio {
public:
    vroAudio();
    ~vroAudio();

    vroAudio(const vroAudio&) = delete;
    vroAudio& operator=(const vroAudio&) = delete;

    void setTune(std::string file, double beatsPerMinute);
    int HowManyItems() const;
    void Load(vroProgressBar& bar);

    void Play();
    void Pause();
    // Replaces the music with a 16-bit PCM WAV image, kept for the new
    // stream's life, at the music time reached and in the same state
    // (playing or paused). False, keeping the old music, when the audio
    // layer refuses it.
    bool ReplaceTune(std::vector<uint8_t> wavBytes);
    // Seek relative to the position heard now. Neither clamps: a target
    // outside the music is refused by the audio layer but still recorded.
    void Forward(double seconds);
    void Rewind(double seconds);
    // Seek to the sample nearest `seconds`; false, changing nothing, outside
    // the music. A paused stream stays exactly there, so the next IsOK
    // records the row of that sample.
    bool SeekTo(double seconds);

    double GetPosition();
    double GetLength() const;
    // The position as last read or sought, without asking the audio layer.
    double GetBeat() const;
    // Mean of the two channels' peaks, 0.0 to 1.0.
    float GetLevel();
    // Records this frame's row; true while the music plays or is paused
    // short of its end.
    bool IsOK();
    double getRow();

    // Track files are BASE_TRACK.track; the base is set before the first
    // track is registered.
    void setSyncBase(const std::string& base);
    void addSyncTrack(std::string name);
    // The named track at the row recorded by the last IsOK; 0.0 for a name
    // never registered.
    float getSyncValue(std::string name) const;
    // The registered track of that name, null for a name never registered;
    // its keys change when the tracks are replaced.
    const sync_track* getSyncTrack(const std::string& name) const;
    // Gives every registered track the keys listed for its name, and none to
    // a track the list leaves out, all before the next IsOK. Names not
    // registered are skipped. False when a track refused its keys (out of
    // order, or memory ran out): that track keeps the keys it had.
    bool replaceSyncTracks(const std::map<std::string, std::vector<sync_key>>& keysByName);

private:
    // Relative seeks record their target even when the layer refuses it.
    void seekTo(double seconds);

    uint32_t stream = 0;
    double lengthSeconds = 0.0;
    double positionSeconds = 0.0;
    int32_t hasTune = 0;
    std::string tuneFile;
    std::vector<uint8_t> tuneBytes; // the music in memory, once replaced
    sync_player* syncDevice = nullptr; // null when it could not be created: every track reads 0.0
    std::map<std::string, const sync_track*> syncTracks;
    double currentRow = 0.0;
};
