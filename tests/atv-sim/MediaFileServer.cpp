#include "MediaFileServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <strings.h>

MediaFileServer::MediaFileServer(std::string path, std::string filePath) : path_(std::move(path))
{
    std::ifstream file(filePath, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    content_ = content.str();
    if (content_.empty())
        throw std::runtime_error("cannot read " + filePath);

    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listenFd_, 16) != 0 ||
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::pipe(stopPipe_) != 0)
        throw std::runtime_error("media file server set-up failed");
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { run(); });
}

MediaFileServer::~MediaFileServer()
{
    char stop = 0;
    [[maybe_unused]] ssize_t written = ::write(stopPipe_[1], &stop, 1);
    thread_.join();
    ::close(listenFd_);
    ::close(stopPipe_[0]);
    ::close(stopPipe_[1]);
}

std::string MediaFileServer::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> MediaFileServer::requestHeads() const
{
    std::lock_guard lock(mutex_);
    return heads_;
}

void MediaFileServer::run()
{
    while (true) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0)
            continue;
        if (fds[1].revents) {
            for (std::thread& worker : workers_)
                worker.join();
            return;
        }
        int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) {
            workers_.emplace_back([this, fd] {
                serve(fd);
                ::close(fd);
            });
        }
    }
}

void MediaFileServer::serve(int fd)
{
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
        pollfd pfd{fd, POLLIN, 0};
        if (::poll(&pfd, 1, 5000) <= 0)
            return;
        ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return;
        head.append(buffer, static_cast<std::size_t>(n));
    }
    {
        std::lock_guard lock(mutex_);
        heads_.push_back(head);
    }
    std::istringstream lines(head);
    std::string method, target;
    lines >> method >> target;
    std::string reply;
    if ((method != "GET" && method != "HEAD") || target != path_) {
        reply = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    } else {
        std::size_t first = 0;
        std::size_t last = content_.size() - 1;
        bool ranged = false;
        std::string line;
        while (std::getline(lines, line)) {
            if (strncasecmp(line.c_str(), "Range: bytes=", 13) == 0) {
                ranged = true;
                first = std::stoul(line.substr(13));
                std::size_t dash = line.find('-', 13);
                if (dash + 1 < line.size() && std::isdigit(static_cast<unsigned char>(line[dash + 1])))
                    last = std::min(last, std::stoul(line.substr(dash + 1)));
            }
        }
        if (first > last) {
            reply = "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        } else {
            std::size_t length = last - first + 1;
            reply = ranged ? "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes " + std::to_string(first) +
                                 "-" + std::to_string(last) + "/" + std::to_string(content_.size()) + "\r\n"
                           : std::string("HTTP/1.1 200 OK\r\n");
            reply += "Content-Type: audio/mpeg\r\nAccept-Ranges: bytes\r\nContent-Length: " +
                     std::to_string(length) + "\r\nConnection: close\r\n\r\n";
            if (method == "GET")
                reply += content_.substr(first, length);
        }
    }
    std::string_view rest = reply;
    while (!rest.empty()) {
        ssize_t n = ::send(fd, rest.data(), rest.size(), MSG_NOSIGNAL);
        if (n <= 0)
            return;
        rest.remove_prefix(static_cast<std::size_t>(n));
    }
}
