#include "server/PublishedFiles.h"

#include <gtest/gtest.h>

namespace {

TEST(PublishedFiles, UrlPathIsRelativeToHomeOnlyInsideIt)
{
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"/home/ann", "/home/ann/Music/a b.mp3", "/Music/a b.mp3"},
        {"/home/ann/", "/home/ann/Music/a.mp3", "/Music/a.mp3"},
        {"/home/ann", "/home/ann/x/home/ann/y.mp3", "/x/home/ann/y.mp3"},
        {"/home/ann", "/home/anna/a.mp3", "/home/anna/a.mp3"},
        {"/home/ann", "/srv/media/x.mp4", "/srv/media/x.mp4"},
        {"/home/ann", "/mnt/home/ann/x.mp4", "/mnt/home/ann/x.mp4"},
        {"/", "/srv/x.mp4", "/srv/x.mp4"},
        {"", "/srv/x.mp4", "/srv/x.mp4"},
    };
    for (const auto& [home, file, urlPath] : cases) {
        EXPECT_EQ(PublishedFiles::urlPathFor(home, file), urlPath) << home << " " << file;
    }
}

TEST(PublishedFiles, ServesExactlyTheLastSetGiven)
{
    PublishedFiles published;
    EXPECT_FALSE(published.fileFor("/Music/a.mp3"));
    published.replace("/home/ann", {"/home/ann/Music/a.mp3", "/srv/x.mp4", "relative/y.mp3"});
    EXPECT_EQ(published.fileFor("/Music/a.mp3"), "/home/ann/Music/a.mp3");
    EXPECT_EQ(published.fileFor("/srv/x.mp4"), "/srv/x.mp4");
    EXPECT_FALSE(published.fileFor("/home/ann/Music/a.mp3"));
    EXPECT_FALSE(published.fileFor("/Music"));
    EXPECT_FALSE(published.fileFor("/Music/"));
    EXPECT_FALSE(published.fileFor("/"));
    EXPECT_FALSE(published.fileFor("relative/y.mp3"));
    EXPECT_FALSE(published.fileFor("/relative/y.mp3"));

    published.replace("/home/ann", {"/home/ann/b.mp3"});
    EXPECT_FALSE(published.fileFor("/Music/a.mp3"));
    EXPECT_EQ(published.fileFor("/b.mp3"), "/home/ann/b.mp3");
}

TEST(PublishedFiles, TheFirstOfTwoFilesWithOneUrlPathWins)
{
    PublishedFiles published;
    published.replace("/home/ann", {"/home/ann/srv/x.mp4", "/srv/x.mp4"});
    EXPECT_EQ(published.fileFor("/srv/x.mp4"), "/home/ann/srv/x.mp4");
}

} // namespace
