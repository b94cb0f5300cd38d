#pragma once

// Where random bytes come from. Code that draws secrets takes a RandomSource& (or an optional
// pointer) so that tests can replay recorded secrets; everything else uses systemRandomSource().

#include <cstddef>
#include <cstdint>

class RandomSource
{
public:
    virtual ~RandomSource();

    // Fills length bytes of buffer. Returns false when no random bytes could be had; the buffer
    // is then not to be used.
    [[nodiscard]] virtual bool fill(uint8_t* buffer, size_t length) = 0;
};

// OpenSSL's generator (RAND_bytes). Stateless; may be used from any thread.
RandomSource& systemRandomSource();
