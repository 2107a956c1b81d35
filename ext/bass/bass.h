#pragma once

// The audio layer: MP3 (decoded with libmpg123) and 16-bit PCM WAV music
// streams played on the default SDL2 output, or on a silent output that
// consumes the music in real time where no sound device exists, or only
// decoded for the caller to read. A C interface: handles, byte positions and
// state codes, as the engine's audio object expects them.
//
// Byte positions count the stream's decoded format: 16-bit samples, the
// file's own channel count and sample rate. Every position is a whole sample
// frame. All functions may be called from any thread; none of them is called
// from the audio output's own thread.

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int BOOL;
typedef uint32_t DWORD;
typedef uint64_t QWORD;
typedef DWORD HSTREAM;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// Position mode: bytes of the decoded stream.
#define BASS_POS_BYTE 0

// Channel states.
#define BASS_ACTIVE_STOPPED 0
#define BASS_ACTIVE_PLAYING 1
#define BASS_ACTIVE_STALLED 2 // playing, but the decoder has not reached the position yet
#define BASS_ACTIVE_PAUSED 3

// BASS_StreamCreateFile flag: a stream made for decoding only. It is never
// played; the caller reads its samples with BASS_ChannelGetData, from its
// position on, and the position advances by what was read. It opens no
// output and starts no thread: reading decodes, in the reading thread.
#define BASS_STREAM_DECODE 0x200000

// Stream types (BASS_CHANNELINFO ctype).
#define BASS_CTYPE_STREAM_WAV 0x40001
#define BASS_CTYPE_STREAM_MP3 0x10005

typedef struct {
    DWORD freq;           // sample rate
    DWORD chans;          // channel count
    DWORD flags;          // the flags the stream was created with
    DWORD ctype;          // BASS_CTYPE_STREAM_MP3 or BASS_CTYPE_STREAM_WAV
    DWORD origres;        // bits per sample of the source: 16
    DWORD plugin;         // 0
    DWORD sample;         // 0
    const char* filename; // the path, or NULL for a memory stream
} BASS_CHANNELINFO;

// Starts the layer. device -1 is the default output, 0 is no sound (the
// silent output); freq, flags, win and dsguid are accepted and not used.
// FALSE when the layer is already started.
BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* win, const void* dsguid);

// Opens an MP3 or an uncompressed 16-bit mono or stereo WAV file, told apart
// by their content: a whole file (mem FALSE, file a NUL-terminated path,
// offset and length 0), or `length` bytes at `file` in memory (mem TRUE,
// offset 0), which are not copied and must stay valid until the stream is
// freed. flags: 0, or BASS_STREAM_DECODE. The stream's exact length is known
// at once; it starts stopped at position 0. 0 on failure, with one line on
// standard error naming the file ("(memory)" for memory).
//
// A file that ends before the length it announces (a cut MP3, a WAV whose
// data is cut short) plays what decodes: its length becomes what decoded as
// soon as decoding finds the end, and one line says it is truncated.
HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags);

// Stops and frees one stream; FALSE for an unknown handle.
BOOL BASS_StreamFree(HSTREAM handle);

// The stream's format and origin; FALSE for an unknown handle.
BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info);

// Decode-only streams: reads up to `length` bytes of 16-bit samples from the
// position (whole frames), advancing it. Returns the bytes read, or
// (DWORD)-1 when the position is at the end or the handle is not a
// decode-only stream. The samples are exactly those that playback of the
// same file hands out for the same range.
DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length);

// Length and position in bytes; (QWORD)-1 for an unknown handle or mode.
QWORD BASS_ChannelGetLength(DWORD handle, DWORD mode);
QWORD BASS_ChannelGetPosition(DWORD handle, DWORD mode);

// Conversions between bytes and seconds in whole sample frames: bytes round
// down to a frame, seconds to the nearest frame. A negative time gives the
// two's complement of its negative byte count, which no seek accepts.
// -1.0 and (QWORD)-1 for an unknown handle.
double BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos);
QWORD BASS_ChannelSeconds2Bytes(DWORD handle, double pos);

// Seeks to a byte position (rounded down to a frame) while playing, paused or
// stopped. FALSE, changing nothing, past the end. Like BASS_ChannelPlay, it
// returns once a fraction of a second from the position on is decoded, so
// that playback never waits for the layer's own decoder.
BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos, DWORD mode);

// Plays from the current position (from 0 when restart is TRUE). FALSE for a
// decode-only stream.
BOOL BASS_ChannelPlay(DWORD handle, BOOL restart);
// Freezes the position at what is heard now; FALSE unless playing.
BOOL BASS_ChannelPause(DWORD handle);
// One of the BASS_ACTIVE_ codes; stopped for an unknown handle. A
// decode-only stream is playing until its position reaches the end.
DWORD BASS_ChannelIsActive(DWORD handle);

// Peak levels of the last 20 ms heard, 0 to 32768: left in the low 16 bits,
// right in the high 16 bits (a mono stream gives both the same). 0 unless
// playing.
DWORD BASS_ChannelGetLevel(DWORD handle);

// Stops and releases every stream and the output. FALSE when not started.
BOOL BASS_Free(void);

#ifdef __cplusplus
}
#endif
