#pragma once

#include "server/ServerContext.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>

// Accepts connections for one server and gives each a Session; beyond the connection
// limit a new connection is closed at once.
class Listener : public std::enable_shared_from_this<Listener>
{
public:
    Listener(boost::asio::io_context& io, std::shared_ptr<ServerContext> context);

    // Binds every interface on a port the system picks: one dual-stack IPv6 socket, or
    // IPv4 alone where IPv6 is not available. Nothing on success, otherwise why not.
    std::optional<std::string> open();
    std::uint16_t port() const;
    void accept();

private:
    void onAccept(const boost::system::error_code& error, boost::asio::ip::tcp::socket socket);

    boost::asio::io_context& io_;
    boost::asio::ip::tcp::acceptor acceptor_;
    boost::asio::steady_timer retryTimer_;
    std::shared_ptr<ServerContext> context_;
};
