#pragma once

#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A tiny HTTP/1.1 file server on 127.0.0.1 for the player tests: serves one file at one path
// with byte ranges (one request a connection, each on a thread of its own), 404 for anything else, and keeps
// the head of every request it gets.
class MediaFileServer
{
public:
    MediaFileServer(std::string path, std::string filePath);
    ~MediaFileServer();
    MediaFileServer(const MediaFileServer&) = delete;
    MediaFileServer& operator=(const MediaFileServer&) = delete;

    std::string url(const std::string& path) const;
    std::vector<std::string> requestHeads() const;

private:
    void run();
    void serve(int fd);

    std::string path_;
    std::string content_;
    int listenFd_ = -1;
    int stopPipe_[2] = {-1, -1};
    unsigned short port_ = 0;
    mutable std::mutex mutex_;
    std::vector<std::string> heads_;
    std::vector<std::thread> workers_; // one a connection, joined when the server stops
    std::thread thread_;
};
