#include "Receiver.h"

#include "Crypto.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// A decimal number filling the whole text, finite.
std::optional<double> number(const std::optional<std::string>& text)
{
    if (!text || text->empty())
        return std::nullopt;
    char* end = nullptr;
    double value = std::strtod(text->c_str(), &end);
    if (end != text->c_str() + text->size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string randomPin()
{
    std::uint32_t value = 0;
    do {
        Bytes random = crypto::randomBytes(2);
        value = static_cast<std::uint32_t>(random[0] << 8 | random[1]);
    } while (value >= 60000); // a multiple of 10000, so every PIN is equally likely
    char text[8];
    std::snprintf(text, sizeof text, "%04u", value % 10000);
    return text;
}

bool isCommand(const Request& request)
{
    const std::string& m = request.method;
    const std::string& p = request.path;
    return (m == "POST" && (p == "/play" || p == "/scrub" || p == "/rate" || p == "/stop")) ||
           (m == "GET" && p == "/scrub");
}

} // namespace

Receiver::Receiver(Settings settings, Console& console)
    : settings_(std::move(settings)), console_(console), identity_(Ed25519Key::generate()),
      shownPin_(settings_.pin), player_(settings_.speed, console)
{
}

void Receiver::stopPlayer()
{
    player_.stop();
}

Response Receiver::answer(ConnectionState& connection, const Request& request)
{
    if (request.method == "POST" && request.path == "/pair-pin-start")
        return showPin();
    if (request.method == "POST" && request.path == "/pair-setup-pin")
        return pairSetup(connection, request);
    if (request.method == "POST" && request.path == "/pair-verify")
        return pairVerify(connection, request);
    if (!isCommand(request))
        return Response::withStatus(404);
    if (std::optional<Response> refused = refusal(connection, request))
        return *refused;
    return command(request);
}

Response Receiver::showPin()
{
    if (!settings_.pin)
        shownPin_ = randomPin();
    console_.event("PIN " + *shownPin_);
    return Response::withStatus(200);
}

Response Receiver::pairSetup(ConnectionState& connection, const Request& request)
{
    std::optional<PlistDict> body = PlistDict::parse(request.body);
    if (!body)
        return badRequest(request, "body is not a property-list dictionary");
    PairSetup::Answer answer = connection.setup.handle(
        *body, {shownPin_, settings_.wrongPinReply, settings_.salt, identity_.publicKey()});
    if (!answer.problem.empty())
        console_.diagnostic("connection " + std::to_string(connection.id) + ": " + answer.problem);
    if (answer.clientKey &&
        std::find(registeredKeys_.begin(), registeredKeys_.end(), *answer.clientKey) == registeredKeys_.end())
        registeredKeys_.push_back(*answer.clientKey);
    Response response = Response::withStatus(answer.status);
    if (answer.status == 200) {
        response.contentType = "application/x-apple-binary-plist";
        response.body = std::move(answer.body);
    }
    return response;
}

Response Receiver::pairVerify(ConnectionState& connection, const Request& request)
{
    PairVerify::Answer answer = connection.verify.handle(request.body, identity_, registeredKeys_);
    if (!answer.problem.empty())
        console_.diagnostic("connection " + std::to_string(connection.id) + ": " + answer.problem);
    if (answer.verified) {
        connection.paired = true;
        console_.event("PAIRED " + std::to_string(connection.id));
    }
    Response response = Response::withStatus(answer.status);
    if (!answer.body.empty()) {
        response.contentType = "application/octet-stream";
        response.body = std::move(answer.body);
    }
    return response;
}

std::optional<Response> Receiver::refusal(ConnectionState& connection, const Request& request)
{
    if (settings_.auth == AuthMode::Pin && !connection.paired)
        return Response::withStatus(403);
    if (settings_.auth != AuthMode::Password || connection.authorized)
        return std::nullopt;
    std::optional<std::string> authorization = request.header("Authorization");
    std::string problem = connection.digest.problem(authorization.value_or(""), request.method,
                                                    request.target, settings_.password);
    if (problem.empty()) {
        connection.authorized = true;
        console_.event("AUTHORIZED " + std::to_string(connection.id));
        return std::nullopt;
    }
    if (authorization)
        console_.diagnostic("connection " + std::to_string(connection.id) + ": Digest refused: " + problem);
    Response challenge = Response::withStatus(401);
    challenge.extraHeaders.emplace_back("WWW-Authenticate", connection.digest.challenge());
    return challenge;
}

Response Receiver::command(const Request& request)
{
    if (request.path == "/play")
        return play(request);
    if (request.path == "/scrub")
        return request.method == "GET" ? progress() : seek(request);
    if (request.path == "/rate")
        return rate(request);
    player_.stop();
    return Response::withStatus(200);
}

Response Receiver::play(const Request& request)
{
    std::optional<std::string> location = request.header("Content-Location");
    if (!location || location->empty())
        return badRequest(request, "no Content-Location header");
    std::optional<std::string> startText = request.header("Start-Position");
    std::optional<double> start = startText ? number(startText) : 0.0;
    if (!start)
        return badRequest(request, "Start-Position \"" + *startText + "\" is not a number");
    player_.play(*location, std::clamp(*start, 0.0, 1.0));
    return Response::withStatus(200);
}

Response Receiver::progress()
{
    Player::Progress now = player_.progress();
    char text[128];
    std::snprintf(text, sizeof text, "duration: %f\nposition: %f", now.duration, now.position);
    Response response = Response::withStatus(200);
    response.contentType = "text/parameters";
    response.body = Bytes(text, text + std::char_traits<char>::length(text));
    return response;
}

Response Receiver::seek(const Request& request)
{
    std::optional<double> position = number(request.queryValue("position"));
    if (!position)
        return badRequest(request, "seek needs a numeric position parameter");
    player_.seek(*position);
    return Response::withStatus(200);
}

Response Receiver::rate(const Request& request)
{
    std::optional<double> value = number(request.queryValue("value"));
    if (!value)
        return badRequest(request, "rate needs a numeric value parameter");
    player_.setRate(*value);
    return Response::withStatus(200);
}

Response Receiver::badRequest(const Request& request, const std::string& problem)
{
    console_.diagnostic("\"" + request.line + "\": " + problem);
    return Response::withStatus(400);
}
