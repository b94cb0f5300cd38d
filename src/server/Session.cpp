#include "server/Session.h"

#include "server/RequestHead.h"
#include "server/RequestRules.h"
#include "server/RequestTarget.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <boost/asio/write.hpp>
#include <fcntl.h>
#include <spdlog/spdlog.h>
#include <sys/sendfile.h>
#include <sys/stat.h>

namespace {

namespace net = boost::asio;
namespace beast = boost::beast;

// sendfile(2) moves at most this much per call: the most body data queued at once.
constexpr std::uint64_t sendPiece = 512 * 1024;
// A handler sends at most this much before it lets the other connections run.
constexpr std::uint64_t sendTurn = 8 * sendPiece;
// After a response that ends the connection, unread request bytes are drained this long so
// that closing does not reset the connection before the client has read the response.
constexpr std::chrono::seconds lingerTime{2};

// A request target as it may stand in a log line: printable ASCII, the rest escaped, cut short.
std::string printable(std::string_view text)
{
    constexpr std::size_t shown = 200;
    std::string out;
    for (const char c : text.substr(0, shown)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f && c != '\\') {
            out.push_back(c);
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            out += escaped;
        }
    }
    if (text.size() > shown) {
        out += "...";
    }
    return out;
}

std::string describePeer(const net::ip::tcp::socket& socket)
{
    boost::system::error_code error;
    const auto endpoint = socket.remote_endpoint(error);
    if (error) {
        return "an unknown peer";
    }
    return endpoint.address().to_string() + " port " + std::to_string(endpoint.port());
}

} // namespace

Session::Session(net::ip::tcp::socket socket, std::shared_ptr<ServerContext> context)
    : stream_(std::move(socket)), context_(std::move(context)), peer_(describePeer(stream_.socket()))
{
    ++context_->connections;
}

Session::~Session()
{
    --context_->connections;
}

void Session::start()
{
    boost::system::error_code error;
    stream_.socket().set_option(net::ip::tcp::no_delay(true), error);
    if (!error) {
        stream_.socket().native_non_blocking(true, error);
    }
    if (error) {
        spdlog::warn("Media server: cannot set up the connection from {}: {}", peer_, error.message());
        return;
    }
    awaitRequest();
}

void Session::awaitRequest()
{
    const Clock::time_point now = Clock::now();
    headDeadline_ = now + context_->options.headTimeout;
    lineDeadline_ = now + context_->options.lineTimeout;
    reader_ = RequestHeadReader();
    if (buffered_.empty()) {
        readHead();
    } else {
        takeBufferedBytes();
    }
}

void Session::readHead()
{
    stream_.expires_at(std::min(lineDeadline_, headDeadline_));
    stream_.async_read_some(net::buffer(readBuffer_),
                            [self = shared_from_this()](const boost::system::error_code& error,
                                                        std::size_t size) { self->onRead(error, size); });
}

void Session::onRead(const boost::system::error_code& error, std::size_t size)
{
    if (error == beast::error::timeout) {
        if (reader_.hasStarted()) {
            spdlog::info("Media server: closing the connection from {}: request head not complete in time",
                         peer_);
        }
        return;
    }
    if (error) {
        if (error != net::error::eof && error != net::error::operation_aborted) {
            spdlog::info("Media server: connection from {} lost while reading a request: {}", peer_,
                         error.message());
        }
        return;
    }
    buffered_.assign(readBuffer_.data(), size);
    takeBufferedBytes();
}

void Session::takeBufferedBytes()
{
    const std::size_t linesBefore = reader_.linesCompleted();
    buffered_.erase(0, reader_.consume(buffered_));
    if (reader_.linesCompleted() != linesBefore) {
        lineDeadline_ = Clock::now() + context_->options.lineTimeout;
    }
    switch (reader_.state()) {
    case RequestHeadReader::State::Reading:
        readHead();
        return;
    case RequestHeadReader::State::Complete:
        response_ = answer();
        writeHead();
        return;
    case RequestHeadReader::State::LineTooLong:
        spdlog::info("Media server: closing the connection from {}: a request line is longer than {} bytes",
                     peer_, RequestHeadReader::maxLineLength);
        return;
    case RequestHeadReader::State::TooManyLines:
        spdlog::info("Media server: closing the connection from {}: more than {} header lines", peer_,
                     RequestHeadReader::maxHeaderLines);
        return;
    }
}

Response Session::answer()
{
    const std::time_t now = std::time(nullptr);
    const std::optional<RequestHead> head = parseRequestHead(reader_.lines());
    if (!head) {
        spdlog::info("Media server: malformed request head from {}: \"{}\"", peer_,
                     printable(reader_.lines().front()));
        return errorResponse(400, false, now);
    }
    const RequestVerdict verdict = judgeRequest(*head);
    if (verdict.errorStatus != 0) {
        spdlog::info("Media server: answering {} to \"{} {} {}\" from {}", verdict.errorStatus,
                     printable(head->method), printable(head->target), printable(head->version), peer_);
        return errorResponse(verdict.errorStatus, verdict.keepAlive, now);
    }
    return answerFile(*head, verdict.keepAlive, now);
}

Response Session::answerFile(const RequestHead& head, bool keepAlive, std::time_t now)
{
    const std::optional<std::string> urlPath = decodeRequestPath(head.target);
    const std::optional<std::string> path = urlPath ? context_->published->fileFor(*urlPath) : std::nullopt;
    if (!path) {
        spdlog::info("Media server: 404 for \"{}\" from {}: not a published file", printable(head.target),
                     peer_);
        return errorResponse(404, keepAlive, now);
    }
    file_ = FileDescriptor(::open(path->c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    struct stat status = {};
    if (!file_.isOpen() || ::fstat(file_.get(), &status) != 0) {
        spdlog::warn("Media server: 404 for \"{}\": cannot open \"{}\": {}", printable(head.target), *path,
                     std::strerror(errno));
        file_.reset();
        return errorResponse(404, keepAlive, now);
    }
    if (!S_ISREG(status.st_mode)) {
        spdlog::warn("Media server: 404 for \"{}\": \"{}\" is not a regular file", printable(head.target),
                     *path);
        file_.reset();
        return errorResponse(404, keepAlive, now);
    }
    const std::vector<std::string_view> ranges = head.values("Range");
    const std::optional<std::string_view> range =
        ranges.empty() ? std::nullopt : std::optional<std::string_view>(ranges.front());
    return fileResponse(static_cast<std::uint64_t>(status.st_size), range, head.method == "HEAD", keepAlive,
                        now);
}

void Session::writeHead()
{
    stream_.expires_after(ServerContext::headWriteTimeout);
    net::async_write(stream_, net::buffer(response_.head),
                     [self = shared_from_this()](const boost::system::error_code& error, std::size_t) {
                         if (error) {
                             spdlog::info("Media server: cannot write a response to {}: {}", self->peer_,
                                          error.message());
                             return;
                         }
                         self->stream_.expires_never();
                         self->segment_ = 0;
                         self->sendSegment();
                     });
}

void Session::sendSegment()
{
    if (segment_ == response_.body.size()) {
        finishResponse();
        return;
    }
    const BodySegment& segment = response_.body[segment_];
    fileOffset_ = segment.offset;
    fileRemaining_ = segment.length;
    if (segment.prefix.empty()) {
        sendFileBytes();
        return;
    }
    // Body data has no time limit: the raw socket, not the timed stream.
    net::async_write(stream_.socket(), net::buffer(segment.prefix),
                     [self = shared_from_this()](const boost::system::error_code& error, std::size_t) {
                         if (error) {
                             spdlog::info("Media server: transfer to {} ended: {}", self->peer_,
                                          error.message());
                             return;
                         }
                         self->sendFileBytes();
                     });
}

void Session::sendFileBytes()
{
    const int socket = stream_.socket().native_handle();
    std::uint64_t sentThisTurn = 0;
    while (fileRemaining_ > 0 && sentThisTurn < sendTurn) {
        auto offset = static_cast<off_t>(fileOffset_);
        const ssize_t sent = ::sendfile(socket, file_.get(), &offset,
                                        static_cast<std::size_t>(std::min(fileRemaining_, sendPiece)));
        if (sent > 0) {
            fileOffset_ += static_cast<std::uint64_t>(sent);
            fileRemaining_ -= static_cast<std::uint64_t>(sent);
            sentThisTurn += static_cast<std::uint64_t>(sent);
        } else if (sent == 0) {
            spdlog::warn(
                "Media server: transfer to {} cut: the file ended at byte {}, before its announced length",
                peer_, fileOffset_);
            return;
        } else if (errno == EAGAIN) {
            break;
        } else if (errno != EINTR) {
            if (errno != EPIPE && errno != ECONNRESET) {
                spdlog::warn("Media server: transfer to {} cut at byte {}: {}", peer_, fileOffset_,
                             std::strerror(errno));
            }
            return;
        }
    }
    if (fileRemaining_ == 0) {
        ++segment_;
        sendSegment();
        return;
    }
    stream_.socket().async_wait(net::ip::tcp::socket::wait_write,
                                [self = shared_from_this()](const boost::system::error_code& error) {
                                    if (error) {
                                        spdlog::info("Media server: transfer to {} ended: {}", self->peer_,
                                                     error.message());
                                        return;
                                    }
                                    self->sendFileBytes();
                                });
}

void Session::finishResponse()
{
    file_.reset();
    if (response_.keepAlive) {
        awaitRequest();
    } else {
        lingerAndClose();
    }
}

void Session::lingerAndClose()
{
    boost::system::error_code error;
    stream_.socket().shutdown(net::ip::tcp::socket::shutdown_send, error);
    if (error) {
        return;
    }
    stream_.expires_after(lingerTime);
    drain();
}

void Session::drain()
{
    stream_.async_read_some(net::buffer(readBuffer_),
                            [self = shared_from_this()](const boost::system::error_code& error, std::size_t) {
                                if (!error) {
                                    self->drain();
                                }
                            });
}
