#pragma once

#include "server/RequestHead.h"

// What the server does with a parsed request before it looks for a file.
struct RequestVerdict
{
    int errorStatus = 0;    // 0: look the file up and serve it; else answer this status
    bool keepAlive = false; // read the next request on this connection afterwards
};

// Versions other than HTTP/1.0 and 1.1 get 505, methods other than GET and HEAD get 405
// (400 for a POST or PUT without a body), a GET or HEAD with a body gets 400. Every error
// but 404 ends the connection: the server does not read bodies, so it cannot tell where
// the next request would begin.
RequestVerdict judgeRequest(const RequestHead& head);
