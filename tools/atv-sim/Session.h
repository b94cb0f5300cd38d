#pragma once

#include "ConnectionState.h"
#include "Console.h"
#include "Faults.h"
#include "Receiver.h"
#include "Recorder.h"
#include "RequestReader.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>

#include <array>
#include <deque>
#include <memory>
#include <optional>
#include <string>

// One control connection: reads requests, has the receiver answer them in order, and writes
// the answers, with whatever faults were asked for.
class Session : public std::enable_shared_from_this<Session>
{
public:
    // What every session of a run shares. Used on the network thread only.
    struct Shared
    {
        const Faults& faults;
        Receiver& receiver;
        Recorder& recorder;
        Console& console;
        bool log;
        bool garbagePending; // set by --garbage, cleared once the first answer has been spoilt
    };

    Session(boost::asio::ip::tcp::socket socket, int id, Shared& shared);

    void start();
    void close();

private:
    void read();
    void receive(std::size_t size);
    void handle(const Request& request);
    void send(std::string bytes);
    void write(std::string bytes);
    void writeNext();
    void closeWhenWritten();
    void logRequest(const Request& request);
    void logResponse(const Response& response);
    bool dropped(const Request& request) const;

    boost::asio::ip::tcp::socket socket_;
    Shared& shared_;
    ConnectionState state_;
    RequestReader reader_;
    std::array<char, 16 * 1024> buffer_;
    std::size_t requests_ = 0;

    std::deque<std::string> pieces_;
    bool writing_ = false;
    boost::asio::steady_timer pause_;

    std::optional<std::string> held_;
    unsigned heldSerial_ = 0;
    boost::asio::steady_timer holdLimit_;

    bool closing_ = false; // no more requests are read; closes once everything is written
    bool closed_ = false;
};
