#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// A temporary directory that stands in for the user's home directory (and a second one for
// files outside it); removed with everything in it at the end of the test.
class TestHome
{
public:
    TestHome();
    ~TestHome();
    TestHome(const TestHome&) = delete;
    TestHome& operator=(const TestHome&) = delete;

    std::string home() const { return (root_ / "home").string(); }
    std::string outside() const { return (root_ / "outside").string(); }

    // Writes a file (creating its folders) and returns its absolute path.
    std::string write(const std::string& path, std::string_view content) const;

private:
    std::filesystem::path root_;
};

// Bytes 0..n-1 of a fixed pattern with no short period, so that any misplaced range shows.
std::string patternBytes(std::size_t n);
