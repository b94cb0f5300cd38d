#pragma once

#include "Console.h"
#include "Options.h"
#include "Receiver.h"
#include "Recorder.h"
#include "Session.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/posix/stream_descriptor.hpp>
#include <boost/asio/signal_set.hpp>

#include <array>
#include <memory>
#include <optional>
#include <vector>

// The listening side: accepts control connections, one Session each, all on one thread, and
// ends on SIGTERM or SIGINT, or when standard input closes if asked to.
class SimServer
{
public:
    // Listens at once; throws when the address cannot be used.
    SimServer(const Options& options, Console& console);

    unsigned short port() const { return acceptor_.local_endpoint().port(); }
    // Serves until told to stop, then closes every connection and stops the player.
    void run();

private:
    void accept();
    void watchStandardInput();
    void stop(const std::string& why);

    boost::asio::io_context io_;
    boost::asio::ip::tcp::acceptor acceptor_;
    boost::asio::signal_set signals_;
    std::optional<boost::asio::posix::stream_descriptor> standardInput_;
    std::array<char, 256> inputBuffer_;
    Console& console_;
    Receiver receiver_;
    Recorder recorder_;
    Session::Shared shared_;
    std::vector<std::weak_ptr<Session>> sessions_;
    int nextId_ = 1;
};
