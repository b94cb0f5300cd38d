#include "server/PublishedFiles.h"

#include <mutex>

#include <spdlog/spdlog.h>

namespace {

std::string_view withoutTrailingSlashes(std::string_view path)
{
    while (path.size() > 1 && path.back() == '/') {
        path.remove_suffix(1);
    }
    return path;
}

} // namespace

std::string PublishedFiles::urlPathFor(std::string_view home, std::string_view filePath)
{
    const std::string_view root = withoutTrailingSlashes(home);
    if (!root.empty() && root != "/" && filePath.size() > root.size() + 1 && filePath.starts_with(root) &&
        filePath[root.size()] == '/') {
        return std::string(filePath.substr(root.size()));
    }
    return std::string(filePath);
}

void PublishedFiles::replace(std::string_view home, const std::vector<std::string>& filePaths)
{
    std::map<std::string, std::string, std::less<>> files;
    for (const std::string& path : filePaths) {
        if (!path.starts_with('/')) {
            spdlog::warn("Media server: not publishing \"{}\": not an absolute path", path);
            continue;
        }
        std::string urlPath = urlPathFor(home, path);
        const auto [it, inserted] = files.emplace(std::move(urlPath), path);
        if (!inserted && it->second != path) {
            spdlog::warn("Media server: \"{}\" and \"{}\" share the URL path \"{}\"; serving the first",
                         it->second, path, it->first);
        }
    }
    std::unique_lock lock(mutex_);
    filesByUrlPath_ = std::move(files);
}

std::optional<std::string> PublishedFiles::fileFor(std::string_view urlPath) const
{
    std::shared_lock lock(mutex_);
    const auto it = filesByUrlPath_.find(urlPath);
    if (it == filesByUrlPath_.end()) {
        return std::nullopt;
    }
    return it->second;
}
