#include "audiolib.h"
#include "openregular.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kMagic[8] = {'P', 'R', 'Y', 'X', 'P', 'I', 'A', '\0'};
const uint32_t kVersion = 1;
const size_t kHeaderSize = 28;

thread_local std::vector<char> t_buffer;
thread_local std::string t_error;

uint64_t readLe(const unsigned char *p, int bytes)
{
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

void putLe(unsigned char *p, uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        p[i] = static_cast<unsigned char>(v & 0xff);
        v >>= 8;
    }
}

const char *fail(int *length, const std::string &why)
{
    t_error = why;
    if (length)
        *length = -1;
    return nullptr;
}

// Reads the block (0 picture, 1 sound) of the file into the thread's buffer.
const char *readBlock(const char *path, int *length, int block)
{
    if (!path || !length)
        return fail(length, "no file name given");
    std::string why;
    FILE *f = pryx::audiolib::openRegular(path, false, &why);
    if (!f)
        return fail(length, why);
    std::fseek(f, 0, SEEK_END);
    const long end = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    if (end < 0) {
        std::fclose(f);
        return fail(length, "cannot read file");
    }
    const uint64_t size = static_cast<uint64_t>(end);
    unsigned char header[kHeaderSize];
    if (size < kHeaderSize || std::fread(header, 1, kHeaderSize, f) != kHeaderSize) {
        std::fclose(f);
        return fail(length, "file too short for an image-with-audio file");
    }
    if (std::memcmp(header, kMagic, sizeof kMagic) != 0) {
        std::fclose(f);
        return fail(length, "not an image-with-audio file");
    }
    const uint64_t version = readLe(header + 8, 4);
    if (version != kVersion) {
        std::fclose(f);
        return fail(length, "unsupported image-with-audio file version " + std::to_string(version));
    }
    const uint64_t imageLength = readLe(header + 12, 8);
    const uint64_t audioLength = readLe(header + 20, 8);
    const uint64_t room = size - kHeaderSize;
    if (imageLength > room || audioLength > room - imageLength) {
        std::fclose(f);
        return fail(length, "image-with-audio file truncated: lengths run past the end");
    }
    if (imageLength + audioLength != room) {
        std::fclose(f);
        return fail(length, "image-with-audio file has trailing bytes");
    }
    const uint64_t want = block == 0 ? imageLength : audioLength;
    if (want > 0x7fffffffu) {
        std::fclose(f);
        return fail(length, "image-with-audio block too large");
    }
    const uint64_t offset = kHeaderSize + (block == 0 ? 0 : imageLength);
    t_buffer.assign(static_cast<size_t>(want) + 1, 0);
    if (std::fseek(f, static_cast<long>(offset), SEEK_SET) != 0
        || std::fread(t_buffer.data(), 1, static_cast<size_t>(want), f) != want) {
        std::fclose(f);
        return fail(length, "cannot read image-with-audio file");
    }
    std::fclose(f);
    t_error.clear();
    *length = static_cast<int>(want);
    return t_buffer.data();
}

} // namespace

const char *readImageData(const char *path, int *length) { return readBlock(path, length, 0); }

const char *readAudioData(const char *path, int *length) { return readBlock(path, length, 1); }

int write(const char *path, const char *image, int imageLength, const char *audio, int audioLength)
{
    if (!path || imageLength < 0 || audioLength < 0 || (imageLength > 0 && !image)
        || (audioLength > 0 && !audio)) {
        t_error = "bad arguments";
        return -1;
    }
    unsigned char header[kHeaderSize];
    std::memcpy(header, kMagic, sizeof kMagic);
    putLe(header + 8, kVersion, 4);
    putLe(header + 12, static_cast<uint64_t>(imageLength), 8);
    putLe(header + 20, static_cast<uint64_t>(audioLength), 8);
    std::string why;
    FILE *f = pryx::audiolib::openRegular(path, true, &why);
    if (!f) {
        t_error = why;
        return -1;
    }
    bool ok = std::fwrite(header, 1, kHeaderSize, f) == kHeaderSize;
    ok = ok && std::fwrite(image, 1, static_cast<size_t>(imageLength), f) == size_t(imageLength);
    ok = ok && std::fwrite(audio, 1, static_cast<size_t>(audioLength), f) == size_t(audioLength);
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) {
        std::remove(path);
        t_error = "cannot write file";
        return -1;
    }
    t_error.clear();
    return 0;
}

const char *lastError() { return t_error.c_str(); }
