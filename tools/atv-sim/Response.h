#pragma once

#include "Bytes.h"

#include <string>
#include <utility>
#include <vector>

// One answer. Serialised as "HTTP/1.1 <status> <reason>", a Date header, an exact
// Content-Length (0 without a body), Content-Type when set, then the extra headers.
struct Response
{
    int status = 200;
    std::string contentType;
    Bytes body;
    std::vector<std::pair<std::string, std::string>> extraHeaders;

    static Response withStatus(int status);
    std::string statusLine() const;
    std::string serialize() const;
};
