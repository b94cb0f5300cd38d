#pragma once

// A RandomSource that hands out given bytes, in order, and fails once they run out.

#include "crypto/RandomSource.h"

#include <cstring>
#include <vector>

class ReplayRandomSource : public RandomSource
{
public:
    explicit ReplayRandomSource(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    bool fill(uint8_t* buffer, size_t length) override
    {
        if (bytes_.size() - used_ < length) {
            return false;
        }
        std::memcpy(buffer, bytes_.data() + used_, length);
        used_ += length;
        return true;
    }

private:
    std::vector<uint8_t> bytes_;
    size_t used_ = 0;
};
