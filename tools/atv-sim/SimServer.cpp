#include "SimServer.h"

#include <unistd.h>

#include <csignal>
#include <stdexcept>

namespace asio = boost::asio;

SimServer::SimServer(const Options& options, Console& console)
    : acceptor_(io_), signals_(io_, SIGTERM, SIGINT), console_(console), receiver_(options.receiver, console),
      recorder_(options.recordPath), shared_{options.faults, receiver_,   recorder_,
                                             console,        options.log, options.faults.garbage}
{
    boost::system::error_code ec;
    asio::ip::address address = asio::ip::make_address(options.listenAddress, ec);
    if (ec)
        throw std::runtime_error("\"" + options.listenAddress + "\" is not an IP address");
    asio::ip::tcp::endpoint endpoint(address, options.listenPort);
    acceptor_.open(endpoint.protocol());
    acceptor_.set_option(asio::socket_base::reuse_address(true));
    acceptor_.bind(endpoint, ec);
    if (ec)
        throw std::runtime_error("cannot listen on " + options.listenAddress + ":" +
                                 std::to_string(options.listenPort) + ": " + ec.message());
    acceptor_.listen();

    signals_.async_wait([this](boost::system::error_code waited, int signal) {
        if (!waited)
            stop(signal == SIGTERM ? "SIGTERM" : "SIGINT");
    });
    if (options.stdinLifetime) {
        int input = ::dup(STDIN_FILENO);
        if (input < 0)
            throw std::runtime_error("cannot watch standard input");
        standardInput_.emplace(io_, input);
        watchStandardInput();
    }
    accept();
}

void SimServer::run()
{
    io_.run();
}

void SimServer::accept()
{
    acceptor_.async_accept([this](boost::system::error_code ec, asio::ip::tcp::socket socket) {
        if (ec == asio::error::operation_aborted)
            return;
        if (ec) {
            console_.diagnostic("accept failed: " + ec.message());
        } else {
            std::erase_if(sessions_, [](const std::weak_ptr<Session>& s) { return s.expired(); });
            auto session = std::make_shared<Session>(std::move(socket), nextId_++, shared_);
            sessions_.push_back(session);
            session->start();
        }
        accept();
    });
}

void SimServer::watchStandardInput()
{
    standardInput_->async_read_some(asio::buffer(inputBuffer_),
                                    [this](boost::system::error_code ec, std::size_t) {
                                        if (ec == asio::error::operation_aborted)
                                            return;
                                        if (ec) {
                                            stop("standard input closed");
                                            return;
                                        }
                                        watchStandardInput();
                                    });
}

void SimServer::stop(const std::string& why)
{
    console_.diagnostic("stopping: " + why);
    boost::system::error_code ignored;
    acceptor_.close(ignored);
    signals_.cancel(ignored);
    if (standardInput_)
        standardInput_->close(ignored);
    for (const std::weak_ptr<Session>& weak : sessions_) {
        if (std::shared_ptr<Session> session = weak.lock())
            session->close();
    }
    receiver_.stopPlayer();
}
