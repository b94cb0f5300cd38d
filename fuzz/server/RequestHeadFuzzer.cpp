// Feeds arbitrary bytes to the media server's request head reader, the request rules, the
// target decoder and the Range parser, and checks what must hold whatever a client sends.
#include "server/ByteRanges.h"
#include "server/RequestHead.h"
#include "server/RequestHeadReader.h"
#include "server/RequestRules.h"
#include "server/RequestTarget.h"
#include "server/Response.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

void checkRanges(std::string_view value, std::uint64_t fileLength)
{
    const auto ranges = parseRangeHeader(value, fileLength);
    if (!ranges) {
        return;
    }
    check(!ranges->empty());
    for (std::size_t i = 0; i < ranges->size(); ++i) {
        const ByteRange& range = (*ranges)[i];
        check(range.first <= range.last && range.last < fileLength);
        check(i == 0 || (*ranges)[i - 1].last < range.first);
    }
    if (fileLength > (1ULL << 40)) {
        return;
    }
    // The announced length is exactly what the body segments add up to.
    const Response response = fileResponse(fileLength, value, false, true, 0);
    std::uint64_t bodyLength = 0;
    for (const BodySegment& segment : response.body) {
        bodyLength += segment.prefix.size() + segment.length;
        check(segment.length == 0 || segment.offset + segment.length <= fileLength);
    }
    const std::string announced = "Content-Length: " + std::to_string(bodyLength) + "\r\n";
    check(response.head.find(announced) != std::string::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    RequestHeadReader whole;
    const std::size_t taken = whole.consume(bytes);
    check(taken <= bytes.size());

    // Reading in small pieces comes to the same end as reading at once.
    RequestHeadReader pieces;
    std::size_t offered = 0;
    while (offered < bytes.size() && pieces.state() == RequestHeadReader::State::Reading) {
        const std::size_t piece = std::min<std::size_t>(7, bytes.size() - offered);
        const std::size_t piecesTaken = pieces.consume(bytes.substr(offered, piece));
        check(piecesTaken <= piece);
        offered += piecesTaken;
    }
    check(pieces.state() == whole.state());
    check(pieces.lines() == whole.lines());
    check(whole.state() != RequestHeadReader::State::Complete || offered == taken);

    for (const std::string& line : whole.lines()) {
        check(line.size() <= RequestHeadReader::maxLineLength);
    }
    check(whole.lines().size() <= RequestHeadReader::maxHeaderLines + 1);

    if (whole.state() == RequestHeadReader::State::Complete) {
        if (const auto head = parseRequestHead(whole.lines())) {
            const RequestVerdict verdict = judgeRequest(*head);
            check(verdict.errorStatus == 0 || !verdict.keepAlive);
            if (const auto path = decodeRequestPath(head->target)) {
                check(path->starts_with('/'));
                check(path->find('\0') == std::string::npos);
                check(path->find("/../") == std::string::npos && !path->ends_with("/.."));
            }
            for (std::string_view range : head->values("Range")) {
                checkRanges(range, 1000);
                checkRanges(range, 0);
            }
        }
    }

    // The Range parser on its own, over the raw bytes as a header value.
    const std::string_view value = bytes.substr(0, 8190);
    checkRanges(value, 0);
    checkRanges(value, 1);
    checkRanges(value, 1000);
    checkRanges(value, UINT64_MAX);
    return 0;
}
