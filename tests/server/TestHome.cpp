#include "TestHome.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

TestHome::TestHome()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "orvanta-server-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary directory");
    }
    root_ = pattern;
    std::filesystem::create_directories(root_ / "home");
    std::filesystem::create_directories(root_ / "outside");
}

TestHome::~TestHome()
{
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

std::string TestHome::write(const std::string& path, std::string_view content) const
{
    const std::filesystem::path file(path);
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
    return file.string();
}

std::string patternBytes(std::size_t n)
{
    std::string bytes(n, '\0');
    std::uint32_t state = 2463534242U;
    for (char& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}
