#include <windows.h>
#include <bcrypt.h>

#include "platform/random_source.h"

namespace pelto {
namespace {

class SystemPreferredRandom final : public RandomSource {
public:
    bool Fill(void* data, size_t size) override {
        return BCryptGenRandom(nullptr, static_cast<PUCHAR>(data), static_cast<ULONG>(size),
                               BCRYPT_USE_SYSTEM_PREFERRED_RNG) >= 0;
    }
};

}  // namespace

RandomSource& SystemRandomSource() {
    static SystemPreferredRandom random;
    return random;
}

}  // namespace pelto
