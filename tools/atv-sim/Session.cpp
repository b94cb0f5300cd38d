#include "Session.h"

#include "Crypto.h"

#include <boost/asio/write.hpp>

#include <algorithm>
#include <exception>

namespace asio = boost::asio;

namespace {

// A body for the log, on one line: its text (line ends as \r and \n) when it is printable,
// else its length and leading bytes.
std::string describeBody(ByteView body)
{
    bool printable = std::all_of(body.begin(), body.end(), [](std::uint8_t c) {
        return c == '\n' || c == '\r' || c == '\t' || (c >= 0x20 && c < 0x7f);
    });
    if (printable) {
        std::string text;
        for (std::uint8_t c : body)
            text += c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, static_cast<char>(c));
        return text;
    }
    std::string hex = toHex(body.first(std::min<std::size_t>(body.size(), 48)));
    return "<" + std::to_string(body.size()) + " bytes: " + hex + (body.size() > 48 ? "...>" : ">");
}

} // namespace

Session::Session(asio::ip::tcp::socket socket, int id, Shared& shared)
    : socket_(std::move(socket)), shared_(shared), state_(id), pause_(socket_.get_executor()),
      holdLimit_(socket_.get_executor())
{
}

void Session::start()
{
    read();
}

void Session::close()
{
    if (closed_)
        return;
    closed_ = true;
    boost::system::error_code ignored;
    socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
    socket_.close(ignored);
    pause_.cancel();
    holdLimit_.cancel();
}

void Session::read()
{
    socket_.async_read_some(
        asio::buffer(buffer_), [self = shared_from_this()](boost::system::error_code ec, std::size_t size) {
            if (self->closed_)
                return;
            if (ec) {
                if (ec != asio::error::eof && ec != asio::error::connection_reset)
                    self->shared_.console.diagnostic("connection " + std::to_string(self->state_.id) +
                                                     ": read failed: " + ec.message());
                self->close();
                return;
            }
            self->receive(size);
            if (!self->closing_)
                self->read();
        });
}

void Session::receive(std::size_t size)
{
    reader_.append(buffer_.data(), size);
    while (!closing_) {
        Request request;
        std::string problem;
        RequestReader::Status status = reader_.next(request, problem);
        if (status == RequestReader::Status::NeedMore)
            return;
        if (status == RequestReader::Status::Malformed) {
            shared_.console.diagnostic("connection " + std::to_string(state_.id) + ": " + problem +
                                       "; closing");
            Response refusal = Response::withStatus(400);
            if (shared_.log)
                logResponse(refusal);
            send(refusal.serialize());
            closeWhenWritten();
            return;
        }
        handle(request);
    }
}

void Session::handle(const Request& request)
{
    ++requests_;
    shared_.recorder.record(state_.id, requests_, request);
    if (shared_.log)
        logRequest(request);
    if (dropped(request)) {
        shared_.console.diagnostic("connection " + std::to_string(state_.id) + ": not answering \"" +
                                   request.line + "\" (--drop-answer)");
    } else {
        Response response;
        try {
            response = shared_.receiver.answer(state_, request);
        } catch (const std::exception& e) {
            shared_.console.diagnostic("connection " + std::to_string(state_.id) + ": \"" + request.line +
                                       "\" failed: " + e.what());
            response = Response::withStatus(500);
        }
        if (shared_.log)
            logResponse(response);
        send(response.serialize());
    }
    if (shared_.faults.closeAfter != 0 && requests_ >= shared_.faults.closeAfter)
        closeWhenWritten();
}

bool Session::dropped(const Request& request) const
{
    const std::vector<std::string>& paths = shared_.faults.dropPaths;
    return std::find(paths.begin(), paths.end(), request.path) != paths.end();
}

void Session::send(std::string bytes)
{
    if (shared_.garbagePending) {
        shared_.garbagePending = false;
        bytes = asText(crypto::randomBytes(bytes.size()));
        shared_.console.diagnostic("connection " + std::to_string(state_.id) +
                                   ": answer replaced by random bytes (--garbage)");
    }
    if (!shared_.faults.coalesce) {
        write(std::move(bytes));
        return;
    }
    if (held_) {
        std::string both = std::move(*held_) + bytes;
        held_.reset();
        holdLimit_.cancel();
        write(std::move(both));
        return;
    }
    held_ = std::move(bytes);
    unsigned serial = ++heldSerial_;
    holdLimit_.expires_after(Faults::coalesceLimit);
    holdLimit_.async_wait([self = shared_from_this(), serial](boost::system::error_code ec) {
        if (ec || self->closed_ || !self->held_ || self->heldSerial_ != serial)
            return;
        std::string alone = std::move(*self->held_);
        self->held_.reset();
        self->write(std::move(alone));
    });
}

void Session::write(std::string bytes)
{
    std::size_t count = std::min(shared_.faults.fragments, std::max<std::size_t>(bytes.size(), 1));
    std::size_t done = 0;
    for (std::size_t i = 1; i <= count; ++i) {
        std::size_t end = bytes.size() * i / count;
        pieces_.push_back(bytes.substr(done, end - done));
        done = end;
    }
    if (!writing_)
        writeNext();
}

void Session::writeNext()
{
    if (pieces_.empty()) {
        writing_ = false;
        if (closing_ && !held_)
            close();
        return;
    }
    writing_ = true;
    asio::async_write(socket_, asio::buffer(pieces_.front()),
                      [self = shared_from_this()](boost::system::error_code ec, std::size_t) {
                          if (self->closed_)
                              return;
                          if (ec) {
                              self->shared_.console.diagnostic("connection " +
                                                               std::to_string(self->state_.id) +
                                                               ": write failed: " + ec.message());
                              self->close();
                              return;
                          }
                          self->pieces_.pop_front();
                          if (self->shared_.faults.fragments > 1 && !self->pieces_.empty()) {
                              self->pause_.expires_after(Faults::fragmentPause);
                              self->pause_.async_wait([self](boost::system::error_code waited) {
                                  if (!waited && !self->closed_)
                                      self->writeNext();
                              });
                              return;
                          }
                          self->writeNext();
                      });
}

void Session::closeWhenWritten()
{
    closing_ = true;
    if (held_) {
        std::string last = std::move(*held_);
        held_.reset();
        holdLimit_.cancel();
        write(std::move(last));
    }
    if (!writing_ && pieces_.empty())
        close();
}

void Session::logRequest(const Request& request)
{
    std::string prefix = "connection " + std::to_string(state_.id) + " <- ";
    shared_.console.diagnostic(prefix + request.line);
    for (const auto& [name, value] : request.headers)
        shared_.console.diagnostic(prefix + name + ": " + value);
    if (!request.body.empty())
        shared_.console.diagnostic(prefix + describeBody(request.body));
}

void Session::logResponse(const Response& response)
{
    std::string prefix = "connection " + std::to_string(state_.id) + " -> ";
    shared_.console.diagnostic(prefix + response.statusLine());
    if (!response.contentType.empty())
        shared_.console.diagnostic(prefix + "Content-Type: " + response.contentType);
    for (const auto& [name, value] : response.extraHeaders)
        shared_.console.diagnostic(prefix + name + ": " + value);
    if (!response.body.empty())
        shared_.console.diagnostic(prefix + describeBody(response.body));
}
