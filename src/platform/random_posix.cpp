#include <sys/random.h>

#include <cerrno>

#include "platform/random_source.h"

namespace pelto {
namespace {

class KernelRandom final : public RandomSource {
public:
    bool Fill(void* data, size_t size) override {
        auto* p = static_cast<unsigned char*>(data);
        while (size > 0) {
            const ssize_t n = getrandom(p, size, 0);
            if (n < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            p += n;
            size -= static_cast<size_t>(n);
        }
        return true;
    }
};

}  // namespace

RandomSource& SystemRandomSource() {
    static KernelRandom random;
    return random;
}

}  // namespace pelto
