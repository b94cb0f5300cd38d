#include "RequestReader.h"

#include <strings.h>

#include <charconv>

namespace {

std::string_view trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::string_view withoutCr(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

// "METHOD TARGET VERSION", single tokens separated by spaces; spaces after the version are
// kept in the line but carry no meaning.
bool parseRequestLine(std::string_view line, Request& request)
{
    std::vector<std::string_view> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        std::size_t start = i;
        while (i < line.size() && line[i] != ' ')
            ++i;
        if (i > start)
            tokens.push_back(line.substr(start, i - start));
    }
    if (tokens.size() != 3 || !tokens[2].starts_with("HTTP/"))
        return false;
    request.line = line;
    request.method = tokens[0];
    request.target = tokens[1];
    std::size_t question = request.target.find('?');
    request.path = request.target.substr(0, question);
    request.query = question == std::string::npos ? std::string() : request.target.substr(question + 1);
    return true;
}

} // namespace

RequestReader::Status RequestReader::next(Request& request, std::string& problem)
{
    // Empty lines before a request line are skipped, as HTTP servers do.
    std::size_t start = 0;
    while (start < buffer_.size() && (buffer_[start] == '\r' || buffer_[start] == '\n'))
        ++start;
    buffer_.erase(0, start);

    request = Request();
    std::size_t pos = 0;
    bool firstLine = true;
    std::optional<std::size_t> contentLength;
    while (true) {
        std::size_t end = buffer_.find('\n', pos);
        if (end == std::string::npos) {
            if (buffer_.size() > maxHeadSize) {
                problem = "request head longer than " + std::to_string(maxHeadSize) + " bytes";
                return Status::Malformed;
            }
            return Status::NeedMore;
        }
        std::string_view line = withoutCr(std::string_view(buffer_).substr(pos, end - pos));
        pos = end + 1;
        if (pos > maxHeadSize) {
            problem = "request head longer than " + std::to_string(maxHeadSize) + " bytes";
            return Status::Malformed;
        }
        if (firstLine) {
            if (!parseRequestLine(line, request)) {
                problem = "unreadable request line \"" + std::string(line) + "\"";
                return Status::Malformed;
            }
            firstLine = false;
            continue;
        }
        if (line.empty())
            break;
        std::size_t colon = line.find(':');
        std::string_view name =
            colon == std::string_view::npos ? std::string_view() : trim(line.substr(0, colon));
        if (name.empty()) {
            problem = "unreadable header line \"" + std::string(line) + "\"";
            return Status::Malformed;
        }
        std::string_view value = trim(line.substr(colon + 1));
        request.headers.emplace_back(name, value);
        if (name.size() == 14 && strncasecmp(name.data(), "Content-Length", 14) == 0) {
            std::size_t length = 0;
            auto [digitsEnd, error] = std::from_chars(value.data(), value.data() + value.size(), length);
            if (value.empty() || error != std::errc() || digitsEnd != value.data() + value.size() ||
                (contentLength && *contentLength != length)) {
                problem = "bad Content-Length \"" + std::string(value) + "\"";
                return Status::Malformed;
            }
            contentLength = length;
        }
    }
    std::size_t bodyLength = contentLength.value_or(0);
    if (bodyLength > maxBodySize) {
        problem =
            "body of " + std::to_string(bodyLength) + " bytes is larger than " + std::to_string(maxBodySize);
        return Status::Malformed;
    }
    if (buffer_.size() - pos < bodyLength)
        return Status::NeedMore;
    request.body.assign(buffer_.begin() + static_cast<std::ptrdiff_t>(pos),
                        buffer_.begin() + static_cast<std::ptrdiff_t>(pos + bodyLength));
    request.raw = buffer_.substr(0, pos + bodyLength);
    buffer_.erase(0, pos + bodyLength);
    return Status::Ready;
}
