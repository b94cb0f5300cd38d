#pragma once

#include "server/FileDescriptor.h"
#include "server/RequestHead.h"
#include "server/RequestHeadReader.h"
#include "server/Response.h"
#include "server/ServerContext.h"

#include <array>
#include <chrono>
#include <memory>
#include <string>

#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/tcp_stream.hpp>

// One client connection: reads request heads within their time limits, answers each, and
// sends file bodies with sendfile(2) straight from the file to the socket, so that nothing
// of the file is held in memory. The session ends (and the socket closes) when the last
// handler holding it is gone.
class Session : public std::enable_shared_from_this<Session>
{
public:
    Session(boost::asio::ip::tcp::socket socket, std::shared_ptr<ServerContext> context);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void start();

private:
    using Clock = std::chrono::steady_clock;

    void awaitRequest();
    void readHead();
    void onRead(const boost::system::error_code& error, std::size_t size);
    void takeBufferedBytes();
    Response answer();
    Response answerFile(const RequestHead& head, bool keepAlive, std::time_t now);
    void writeHead();
    void sendSegment();
    void sendFileBytes();
    void finishResponse();
    void lingerAndClose();
    void drain();

    boost::beast::tcp_stream stream_;
    std::shared_ptr<ServerContext> context_;
    std::string peer_;
    std::array<char, 16 * 1024> readBuffer_{};
    std::string buffered_;
    RequestHeadReader reader_;
    Clock::time_point headDeadline_;
    Clock::time_point lineDeadline_;
    Response response_;
    FileDescriptor file_;
    std::size_t segment_ = 0;
    std::uint64_t fileOffset_ = 0;
    std::uint64_t fileRemaining_ = 0;
};
