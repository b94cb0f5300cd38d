#pragma once

#include "ConnectionState.h"
#include "Console.h"
#include "Ed25519Key.h"
#include "Player.h"
#include "Request.h"
#include "Response.h"

#include <optional>
#include <string>
#include <vector>

enum class AuthMode
{
    None,
    Pin,
    Password
};

// The Apple TV's side of the legacy AirPlay control protocol: pairing, Digest authorization
// and the playback commands. One receiver serves every connection: the PIN on screen, the
// registered client keys and the player are shared; each connection's authorization is its
// own. Called on the network thread only.
class Receiver
{
public:
    struct Settings
    {
        AuthMode auth = AuthMode::None;
        std::optional<std::string> pin; // fixed PIN; none: a random one per PIN start
        std::string password;
        WrongPinReply wrongPinReply = WrongPinReply::Status;
        std::optional<Bytes> salt;
        double speed = 1;
    };

    Receiver(Settings settings, Console& console);

    Response answer(ConnectionState& connection, const Request& request);
    void stopPlayer();

private:
    Response showPin();
    Response pairSetup(ConnectionState& connection, const Request& request);
    Response pairVerify(ConnectionState& connection, const Request& request);
    std::optional<Response> refusal(ConnectionState& connection, const Request& request);
    Response command(const Request& request);
    Response play(const Request& request);
    Response progress();
    Response seek(const Request& request);
    Response rate(const Request& request);
    Response badRequest(const Request& request, const std::string& problem);

    Settings settings_;
    Console& console_;
    Ed25519Key identity_;
    std::optional<std::string> shownPin_;
    std::vector<Bytes> registeredKeys_;
    Player player_;
};
