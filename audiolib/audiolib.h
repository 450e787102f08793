#pragma once
// Image-with-audio (".pia") files: one picture and one sound in a file.
//
// Layout, all numbers little-endian:
//   offset  0  8 bytes  magic "PRYXPIA" followed by a zero byte
//   offset  8  uint32   format version (1)
//   offset 12  uint64   picture length P
//   offset 20  uint64   sound length S
//   offset 28  P bytes  picture, then S bytes sound; the file ends there.
// A file whose lengths do not add up to its size exactly is refused, and so
// is any path that is not a regular file (a FIFO, a device, a folder): it is
// never waited on.

#define AUDIOLIB_EXPORT extern "C" __attribute__((visibility("default")))

// Returns the picture (or sound) of the file and stores its length; on any
// failure returns null and stores -1. The memory stays the library's, valid
// until the next call on the same thread.
AUDIOLIB_EXPORT const char *readImageData(const char *path, int *length);
AUDIOLIB_EXPORT const char *readAudioData(const char *path, int *length);
// Writes a file; returns 0 on success, -1 on failure.
AUDIOLIB_EXPORT int write(const char *path, const char *image, int imageLength,
                          const char *audio, int audioLength);
// The reason of the last failure on this thread, in English ("" after success).
AUDIOLIB_EXPORT const char *lastError();
