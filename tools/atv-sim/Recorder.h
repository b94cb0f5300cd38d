#pragma once

#include "Request.h"

#include <cstdio>
#include <memory>
#include <string>

// Writes every request received as one JSON line:
// {"connection":1,"index":1,"method":"GET","target":"/scrub","line":"GET /scrub HTTP/1.1
// ","bytes":"<base64>"} "index" counts the requests of that connection from 1; "bytes" holds the exact
// request, body included. Each line is flushed as it is written.
class Recorder
{
public:
    // An inactive recorder for an empty path; throws when the file cannot be opened.
    explicit Recorder(const std::string& path);

    void record(int connection, std::size_t index, const Request& request);

private:
    struct Close
    {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Close> file_;
};
