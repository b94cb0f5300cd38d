#include "crypto/RandomSource.h"

#include <openssl/rand.h>

#include <algorithm>
#include <climits>

RandomSource::~RandomSource() = default;

namespace {

class SystemRandomSource final : public RandomSource
{
public:
    bool fill(uint8_t* buffer, size_t length) override
    {
        while (length > 0) {
            const size_t chunk = std::min<size_t>(length, INT_MAX);
            if (RAND_bytes(buffer, static_cast<int>(chunk)) != 1) {
                return false;
            }
            buffer += chunk;
            length -= chunk;
        }
        return true;
    }
};

} // namespace

RandomSource& systemRandomSource()
{
    static SystemRandomSource source;
    return source;
}
