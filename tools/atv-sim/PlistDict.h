#pragma once

#include "Bytes.h"

#include <memory>
#include <optional>
#include <utility>

// A property-list dictionary read from a request body (binary or XML form).
class PlistDict
{
public:
    static std::optional<PlistDict> parse(ByteView body);

    bool has(const char* key) const;
    std::optional<Bytes> data(const char* key) const;
    std::optional<std::string> text(const char* key) const;

    // A binary property list of one dictionary whose values are all byte strings.
    static Bytes writeBinary(std::initializer_list<std::pair<const char*, ByteView>> entries);

private:
    struct Free
    {
        void operator()(void* node) const;
    };
    explicit PlistDict(void* root);

    std::unique_ptr<void, Free> root_;
};
