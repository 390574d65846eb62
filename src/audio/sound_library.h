#pragma once
// The program's sound output library: device choice, file streams, transport, position, volume and the
// FFT data of what is playing. Callers never query error codes; each operation returns what callers rely on.
//
// Devices: 0 is "No sound" (streams play silently in real time, so the player works without a sound card),
// 1 is the default output, 2.. are the named outputs the system reports. positions and lengths are byte
// counts of the decoded 16-bit stream (frames x channels x 2). Decoding runs on one thread per stream and
// mixing on the output's thread; the calling (user-interface) thread only takes short locks.

#include <cstdint>

namespace lumora::audio {

using HSTREAM = uint32_t;

inline constexpr int kNoSoundDevice = 0;
inline constexpr int kDefaultDevice = 1;

inline constexpr uint32_t kStateStopped = 0;
inline constexpr uint32_t kStatePlaying = 1;
inline constexpr uint32_t kStatePaused = 3;

// Flag of SND_ChannelGetData: 512 magnitudes of a 1024-sample FFT as 32-bit floats.
inline constexpr uint32_t kDataFft1024 = 0x80000001u;
inline constexpr int kFftBins = 512;

// Text of a device, null past the last one (the index equals the device number).
const char* SND_GetDeviceDescription(uint32_t device);
// The device of the last SND_Init (also when it failed), -1 before any.
int SND_GetDevice();
// Opens the device for streams; false when it cannot be opened (the library then creates no streams).
bool SND_Init(int device, uint32_t freq, uint32_t flags, void* window, const void* clsid);
// True when the device is the one in use; the library drives one device at a time.
bool SND_SetDevice(uint32_t device);
// Closes the device and releases every stream.
bool SND_Free();
// Output volume 0..100 (values outside are clamped); 0 is silent.
bool SND_SetVolume(uint32_t volume);
// The volume the mixer applies now, 0..100 (for the player's own checks; not one of the library's calls).
uint32_t outputVolume();
// A stream over the whole file (offset and length 0), 0 when the file cannot be decoded or no device is open.
HSTREAM SND_StreamCreateFile(bool mem, const char* file, uint64_t offset, uint64_t length, uint32_t flags);
// Releases one stream (not needed by callers that rely on SND_Free; used to drop a replaced stream).
bool SND_StreamFree(HSTREAM handle);
// restart 0 starts or resumes; any other value restarts from the beginning.
bool SND_ChannelPlay(HSTREAM handle, int restart);
bool SND_ChannelPause(HSTREAM handle);
bool SND_ChannelStop(HSTREAM handle);
// 0 stopped (also for unknown handles), 1 playing, 3 paused.
uint32_t SND_ChannelIsActive(HSTREAM handle);
uint64_t SND_ChannelGetLength(HSTREAM handle);
uint64_t SND_ChannelGetPosition(HSTREAM handle);
bool SND_ChannelSetPosition(HSTREAM handle, uint64_t position);
double SND_ChannelBytes2Seconds(HSTREAM handle, uint64_t bytes);
// With kDataFft1024 writes 512 floats to buffer and returns 2048; -1 for another flag or an unknown handle.
int32_t SND_ChannelGetData(HSTREAM handle, void* buffer, uint32_t flags);

}  // namespace lumora::audio
