#pragma once

#include "DigestAuth.h"
#include "PairSetup.h"
#include "PairVerify.h"

// What the receiver knows of one control connection.
struct ConnectionState
{
    explicit ConnectionState(int connectionId) : id(connectionId) {}

    int id;
    bool paired = false;     // pair-verify completed (PIN mode)
    bool authorized = false; // a correct Digest answer was given (password mode)
    PairSetup setup;
    PairVerify verify;
    DigestAuth digest;
};
