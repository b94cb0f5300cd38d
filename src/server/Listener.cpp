#include "server/Listener.h"

#include "server/Session.h"

#include <boost/asio/ip/v6_only.hpp>
#include <boost/asio/strand.hpp>
#include <spdlog/spdlog.h>

namespace {

namespace net = boost::asio;
using net::ip::tcp;

// After a failed accept (out of file descriptors, say) the next one waits this long.
constexpr std::chrono::milliseconds acceptRetryDelay{100};

boost::system::error_code listenOn(tcp::acceptor& acceptor, const tcp::endpoint& endpoint)
{
    boost::system::error_code error;
    acceptor.open(endpoint.protocol(), error);
    if (!error && endpoint.protocol() == tcp::v6()) {
        acceptor.set_option(net::ip::v6_only(false), error);
    }
    if (!error) {
        acceptor.bind(endpoint, error);
    }
    if (!error) {
        acceptor.listen(net::socket_base::max_listen_connections, error);
    }
    if (error) {
        boost::system::error_code ignored;
        acceptor.close(ignored);
    }
    return error;
}

} // namespace

Listener::Listener(net::io_context& io, std::shared_ptr<ServerContext> context)
    : io_(io), acceptor_(io), retryTimer_(io), context_(std::move(context))
{
}

std::optional<std::string> Listener::open()
{
    const boost::system::error_code v6Error = listenOn(acceptor_, tcp::endpoint(tcp::v6(), 0));
    if (!v6Error) {
        return std::nullopt;
    }
    const boost::system::error_code v4Error = listenOn(acceptor_, tcp::endpoint(tcp::v4(), 0));
    if (!v4Error) {
        spdlog::info("Media server: IPv6 is not available ({}); listening on IPv4 only", v6Error.message());
        return std::nullopt;
    }
    return "cannot listen on a TCP port: " + v4Error.message();
}

std::uint16_t Listener::port() const
{
    boost::system::error_code error;
    const tcp::endpoint endpoint = acceptor_.local_endpoint(error);
    return error ? 0 : endpoint.port();
}

void Listener::accept()
{
    acceptor_.async_accept(
        net::make_strand(io_),
        [self = shared_from_this()](const boost::system::error_code& error, tcp::socket socket) {
            self->onAccept(error, std::move(socket));
        });
}

void Listener::onAccept(const boost::system::error_code& error, tcp::socket socket)
{
    if (error == net::error::operation_aborted) {
        return;
    }
    if (error) {
        spdlog::error("Media server: accepting a connection failed: {}", error.message());
        retryTimer_.expires_after(acceptRetryDelay);
        retryTimer_.async_wait([self = shared_from_this()](const boost::system::error_code& waitError) {
            if (!waitError) {
                self->accept();
            }
        });
        return;
    }
    if (context_->connections.load() >= ServerContext::maxConnections) {
        boost::system::error_code peerError;
        const tcp::endpoint peer = socket.remote_endpoint(peerError);
        spdlog::warn("Media server: refusing a connection from {}: already {} connections open",
                     peerError ? std::string("an unknown peer") : peer.address().to_string(),
                     ServerContext::maxConnections);
        socket.close(peerError);
    } else {
        std::make_shared<Session>(std::move(socket), context_)->start();
    }
    accept();
}
