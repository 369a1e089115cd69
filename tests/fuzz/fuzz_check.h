#pragma once
// What a fuzz target needs besides libFuzzer: a check that stops the run with a readable reason
// (libFuzzer keeps the input that made it fail), and a fixed time zone with daylight saving, so
// the local-time conversions meet a zone change and runs are repeatable on any machine.
#include <cstdio>
#include <cstdlib>
#include <ctime>

#define FUZZ_CHECK(cond)                                                                  \
    do {                                                                                  \
        if (!(cond)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                 \
        }                                                                                 \
    } while (0)

namespace pelto::fuzz {

// PELTO_FUZZ_TRACE=1 makes a target say what each input did, to check that a seed reaches the
// path it was written for (run the target on the seed files).
inline bool Tracing() {
    static const bool on = std::getenv("PELTO_FUZZ_TRACE") != nullptr;
    return on;
}

inline void UseTestZone() {
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
}

}  // namespace pelto::fuzz
