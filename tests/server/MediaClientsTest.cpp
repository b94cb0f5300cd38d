#include "TestHome.h"

#include "server/MediaServer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <openssl/evp.h>

namespace {

bool haveProgram(const char* name)
{
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

class Sha256
{
public:
    Sha256() { EVP_DigestInit_ex(context_.get(), EVP_sha256(), nullptr); }
    void add(const char* data, std::size_t size) { EVP_DigestUpdate(context_.get(), data, size); }
    std::string hex()
    {
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int size = 0;
        EVP_DigestFinal_ex(context_.get(), digest, &size);
        std::string text;
        for (unsigned int i = 0; i < size; ++i) {
            char pair[3];
            std::snprintf(pair, sizeof pair, "%02x", digest[i]);
            text += pair;
        }
        return text;
    }

private:
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context_{EVP_MD_CTX_new(), EVP_MD_CTX_free};
};

struct CommandOutput
{
    std::string sha256;
    std::uint64_t size = 0;
    int status = -1;
    std::string text; // the first bytes, for messages
};

CommandOutput run(const std::string& command)
{
    CommandOutput output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return output;
    }
    Sha256 hash;
    std::vector<char> chunk(1 << 20);
    std::size_t got;
    while ((got = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) {
        hash.add(chunk.data(), got);
        output.size += got;
        if (output.text.size() < 200) {
            output.text.append(chunk.data(), std::min<std::size_t>(got, 200));
        }
    }
    output.status = ::pclose(pipe);
    output.sha256 = hash.hex();
    return output;
}

class MediaClientsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        server = std::make_unique<MediaServer>(published);
        ASSERT_EQ(server->start(), std::nullopt);
    }

    std::string url(const std::string& escapedPath) const
    {
        return "http://127.0.0.1:" + std::to_string(server->port()) + escapedPath;
    }

    TestHome home;
    std::shared_ptr<PublishedFiles> published = std::make_shared<PublishedFiles>();
    std::unique_ptr<MediaServer> server;
};

TEST_F(MediaClientsTest, CurlFetchesABigFileWholeAndInRanges)
{
    ASSERT_TRUE(haveProgram("curl")) << "curl is not installed (scripts/install-deps installs it)";
    constexpr std::uint64_t size = 200ULL << 20;
    constexpr std::uint64_t piece = 1 << 20;
    // A block whose length is no multiple of a range, so that a misplaced range shows.
    const std::string block = patternBytes(piece + 4099);
    const std::string path = home.home() + "/Movies/big film.mkv";
    std::filesystem::create_directories(home.home() + "/Movies");
    Sha256 expected;
    {
        std::ofstream out(path, std::ios::binary);
        for (std::uint64_t written = 0; written < size;) {
            const std::size_t n =
                static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), size - written));
            out.write(block.data(), static_cast<std::streamsize>(n));
            expected.add(block.data(), n);
            written += n;
        }
        ASSERT_TRUE(out.good());
    }
    const std::string expectedHash = expected.hex();
    published->replace(home.home(), {path});
    const std::string target = url("/Movies/big%20film.mkv");

    const CommandOutput whole = run("curl -s --fail -o - '" + target + "'");
    EXPECT_EQ(whole.status, 0);
    EXPECT_EQ(whole.size, size);
    EXPECT_EQ(whole.sha256, expectedHash);

    // One curl, one connection, 200 ranged requests in a row; a whole-file answer to any of
    // them would exceed --max-filesize.
    std::string command = "curl -s --fail --max-filesize " + std::to_string(piece);
    for (std::uint64_t first = 0; first < size; first += piece) {
        if (first > 0) {
            command += " -: -s --fail --max-filesize " + std::to_string(piece);
        }
        command +=
            " -r " + std::to_string(first) + "-" + std::to_string(first + piece - 1) + " '" + target + "'";
    }
    const CommandOutput ranges = run(command);
    EXPECT_EQ(ranges.status, 0);
    EXPECT_EQ(ranges.size, size);
    EXPECT_EQ(ranges.sha256, expectedHash);

    const CommandOutput head = run("curl -s --fail -I '" + target + "'");
    EXPECT_EQ(head.status, 0);
    EXPECT_NE(head.text.find("Content-Length: " + std::to_string(size) + "\r\n"), std::string::npos)
        << head.text;
    EXPECT_EQ(head.text.find("Content-Type"), std::string::npos) << head.text;
    std::filesystem::remove(path);
}

TEST_F(MediaClientsTest, FfprobeReadsAVideoOverHttp)
{
    ASSERT_TRUE(haveProgram("ffmpeg") && haveProgram("ffprobe"))
        << "ffmpeg or ffprobe is not installed (scripts/install-deps installs them)";
    const std::string path = home.home() + "/Videos/clip one.mp4";
    std::filesystem::create_directories(home.home() + "/Videos");
    // Without faststart the index comes last: the reader has to seek there with a range.
    const CommandOutput made =
        run("ffmpeg -v error -nostdin -f lavfi -i testsrc=duration=3:size=160x120:rate=10 "
            "-f lavfi -i sine=duration=3 -c:v mpeg4 -c:a aac -shortest '" +
            path + "' 2>&1");
    ASSERT_EQ(made.status, 0) << made.text;
    published->replace(home.home(), {path});

    const CommandOutput probe = run("ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 '" +
                                    url("/Videos/clip%20one.mp4") + "' 2>&1");
    ASSERT_EQ(probe.status, 0) << probe.text;
    EXPECT_NEAR(std::stod(probe.text), 3.0, 0.1) << probe.text;

    const CommandOutput missing =
        run("ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 '" +
            url("/Videos/clip.mp4") + "' 2>&1");
    EXPECT_NE(missing.status, 0);
    EXPECT_NE(missing.text.find("404"), std::string::npos) << missing.text;
}

} // namespace
