#pragma once

#include <map>
#include <optional>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <vector>

// The files the media server may hand out: the files of the playlist and nothing else.
// Each file is reachable by exactly one URL path. A file inside the home directory is
// published relative to it ("/Music/a b.mp3" for HOME/Music/a b.mp3); a file outside it
// under its whole path ("/srv/media/x.mp4"). URL paths here are decoded (no %XX escapes).
// The controller replaces the whole set at every playlist load; the server's threads look
// files up at the same time.
class PublishedFiles
{
public:
    // The URL path by which `filePath` is published when the home directory is `home`.
    static std::string urlPathFor(std::string_view home, std::string_view filePath);

    // Publishes exactly `filePaths` (absolute paths), withdrawing everything else.
    void replace(std::string_view home, const std::vector<std::string>& filePaths);

    // The file published under the decoded URL path, if any.
    std::optional<std::string> fileFor(std::string_view urlPath) const;

private:
    mutable std::shared_mutex mutex_;
    std::map<std::string, std::string, std::less<>> filesByUrlPath_;
};
