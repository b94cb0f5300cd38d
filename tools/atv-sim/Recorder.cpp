#include "Recorder.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace {

// A JSON string literal; bytes outside printable ASCII are written as \u00XX.
std::string jsonString(std::string_view text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

} // namespace

Recorder::Recorder(const std::string& path)
{
    if (path.empty())
        return;
    file_.reset(std::fopen(path.c_str(), "w"));
    if (!file_)
        throw std::runtime_error("cannot open " + path + " for writing: " + std::strerror(errno));
}

void Recorder::record(int connection, std::size_t index, const Request& request)
{
    if (!file_)
        return;
    std::string line = "{\"connection\":" + std::to_string(connection) +
                       ",\"index\":" + std::to_string(index) + ",\"method\":" + jsonString(request.method) +
                       ",\"target\":" + jsonString(request.target) + ",\"line\":" + jsonString(request.line) +
                       ",\"bytes\":\"" + toBase64(asBytes(request.raw)) + "\"}\n";
    std::fwrite(line.data(), 1, line.size(), file_.get());
    std::fflush(file_.get());
}
