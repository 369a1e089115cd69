#pragma once
// Unpredictable bytes from the operating system's generator (not a seeded PRNG): they guard the
// SNTP exchange against blind spoofing.
#include <cstddef>

namespace pelto {

class RandomSource {
public:
    virtual ~RandomSource() = default;
    // False when the system could not deliver; the buffer is then unspecified.
    virtual bool Fill(void* data, size_t size) = 0;
};

RandomSource& SystemRandomSource();

}  // namespace pelto
