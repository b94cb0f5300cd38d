#include "Options.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>

namespace {

constexpr const char* helpText = R"(Usage: atv-sim [OPTION]...
A simulated Apple TV: the receiver's side of the legacy AirPlay control protocol, for tests
and demonstrations. It answers POST /play, GET /scrub, POST /scrub?position=, POST /rate?value=,
POST /stop, POST /pair-pin-start, /pair-setup-pin and /pair-verify; anything else is 404.
/play takes Content-Location and Start-Position (a fraction of the duration) from its
header lines. An Ed25519 key registered by pair-setup may pair-verify on any later
connection; each connection's pairing and authorization are its own.

  --listen ADDRESS:PORT   where to listen (default 127.0.0.1:7000; [::1]:PORT for IPv6;
                          port 0 lets the system choose)
  --auth MODE             none (default): every command is answered;
                          pin: commands get 403 Forbidden until the connection has
                          paired (PIN pair-setup, then pair-verify);
                          password: commands get 401 with a Digest challenge until the
                          connection sends a correct Digest Authorization
  --pin DDDD              the PIN shown at each POST /pair-pin-start (default: a new
                          random one each time)
  --password TEXT         the password of --auth password (user and realm "AirPlay")
  --wrong-pin-reply KIND  the answer to a pair-setup proof made with a wrong PIN:
                          status (default): 500 Internal Server Error, no body;
                          proof: 200 with a server proof that the client must refuse
  --salt HEX              the SRP salt, as hexadecimal (default: 16 random bytes per
                          pairing)
  --speed N               the playback clock runs N times faster (default 1; may be
                          fractional)
  --record FILE           write every request received to FILE, one JSON line each:
                          {"connection":C,"index":I,"method":M,"target":T,"line":L,
                          "bytes":B}, I counting the connection's requests from 1, L the
                          request line, B the exact request bytes (body included) in base64
  --log                   write each request and answer readably to standard error
  --fragment N            write every answer in N pieces, 20 ms apart
  --coalesce              hold each answer back and write it together with the next one
                          (alone after 1 s when no other follows)
  --close-after N         close a connection once its N-th request has been answered
  --drop-answer PATH      read requests for PATH (the target up to "?") and neither act
                          on them nor answer them; may be given more than once
  --garbage               replace the first answer of the run by random bytes
  --stdin-lifetime        exit when standard input closes
  --help                  show this text and exit

Standard output, one line each, flushed at once:
  LISTENING <port>               first, once listening
  PIN <DDDD>                     a PIN start request was answered; the PIN on screen
  PAIRED <connection>            a connection completed pair-verify
  AUTHORIZED <connection>        a connection gave a correct Digest answer
  PLAYING <url> <duration>       a played URL was opened; its duration in seconds (%f)
  READ-THROUGH <url> <packets>   the player read the stream to its end
  PLAY-ERROR <url> <error>       opening or reading a played URL failed
Connections are numbered from 1 in the order they are accepted. Diagnostics go to standard
error. SIGTERM and SIGINT end the program with status 0.
)";

[[noreturn]] void usageError(const std::string& problem)
{
    std::fprintf(stderr, "atv-sim: %s\nTry 'atv-sim --help'.\n", problem.c_str());
    std::exit(2);
}

std::size_t count(const std::string& flag, const std::string& text, std::size_t minimum)
{
    std::size_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < minimum)
        usageError(flag + " needs a whole number of at least " + std::to_string(minimum) + ", not \"" + text +
                   "\"");
    return value;
}

void parseListen(const std::string& text, Options& options)
{
    std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0)
        usageError("--listen needs ADDRESS:PORT, not \"" + text + "\"");
    std::string address = text.substr(0, colon);
    if (address.front() == '[') {
        if (address.back() != ']')
            usageError("--listen needs [IPV6]:PORT, not \"" + text + "\"");
        address = address.substr(1, address.size() - 2);
    }
    std::size_t port = count("--listen", text.substr(colon + 1), 0);
    if (port > 65535)
        usageError("--listen port " + std::to_string(port) + " is above 65535");
    options.listenAddress = address;
    options.listenPort = static_cast<unsigned short>(port);
}

Bytes parseHex(const std::string& text)
{
    if (text.empty() || text.size() % 2 != 0)
        usageError("--salt needs an even number of hexadecimal digits");
    Bytes out;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        std::uint8_t byte = 0;
        auto [end, error] = std::from_chars(text.data() + i, text.data() + i + 2, byte, 16);
        if (error != std::errc() || end != text.data() + i + 2)
            usageError("--salt needs hexadecimal digits, not \"" + text + "\"");
        out.push_back(byte);
    }
    return out;
}

} // namespace

Options parseOptions(int argc, char** argv)
{
    Options options;
    using Setter = std::function<void(const std::string&)>;
    const std::map<std::string, Setter> valued = {
        {"--listen", [&](const std::string& v) { parseListen(v, options); }},
        {"--auth",
         [&](const std::string& v) {
             if (v == "none")
                 options.receiver.auth = AuthMode::None;
             else if (v == "pin")
                 options.receiver.auth = AuthMode::Pin;
             else if (v == "password")
                 options.receiver.auth = AuthMode::Password;
             else
                 usageError("--auth is none, pin or password, not \"" + v + "\"");
         }},
        {"--pin",
         [&](const std::string& v) {
             if (v.size() != 4 || v.find_first_not_of("0123456789") != std::string::npos)
                 usageError("--pin needs four digits, not \"" + v + "\"");
             options.receiver.pin = v;
         }},
        {"--password", [&](const std::string& v) { options.receiver.password = v; }},
        {"--wrong-pin-reply",
         [&](const std::string& v) {
             if (v == "status")
                 options.receiver.wrongPinReply = WrongPinReply::Status;
             else if (v == "proof")
                 options.receiver.wrongPinReply = WrongPinReply::Proof;
             else
                 usageError("--wrong-pin-reply is status or proof, not \"" + v + "\"");
         }},
        {"--salt", [&](const std::string& v) { options.receiver.salt = parseHex(v); }},
        {"--speed",
         [&](const std::string& v) {
             char* end = nullptr;
             double speed = std::strtod(v.c_str(), &end);
             if (v.empty() || end != v.c_str() + v.size() || !(speed > 0) || speed > 1e6)
                 usageError("--speed needs a number above 0, not \"" + v + "\"");
             options.receiver.speed = speed;
         }},
        {"--record", [&](const std::string& v) { options.recordPath = v; }},
        {"--fragment", [&](const std::string& v) { options.faults.fragments = count("--fragment", v, 1); }},
        {"--close-after",
         [&](const std::string& v) { options.faults.closeAfter = count("--close-after", v, 1); }},
        {"--drop-answer",
         [&](const std::string& v) {
             if (v.empty() || v.front() != '/')
                 usageError("--drop-answer needs a path starting with \"/\", not \"" + v + "\"");
             options.faults.dropPaths.push_back(v);
         }},
    };
    const std::map<std::string, std::function<void()>> switches = {
        {"--log", [&] { options.log = true; }},
        {"--coalesce", [&] { options.faults.coalesce = true; }},
        {"--garbage", [&] { options.faults.garbage = true; }},
        {"--stdin-lifetime", [&] { options.stdinLifetime = true; }},
        {"--help",
         [] {
             std::fputs(helpText, stdout);
             std::exit(0);
         }},
    };

    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::optional<std::string> inlineValue;
        if (std::size_t equals = arg.find('='); arg.starts_with("--") && equals != std::string::npos) {
            inlineValue = arg.substr(equals + 1);
            arg.resize(equals);
        }
        if (auto it = switches.find(arg); it != switches.end()) {
            if (inlineValue)
                usageError(arg + " takes no value");
            it->second();
        } else if (auto setter = valued.find(arg); setter != valued.end()) {
            if (!inlineValue && i + 1 == argc)
                usageError(arg + " needs a value");
            setter->second(inlineValue ? *inlineValue : std::string(argv[++i]));
        } else {
            usageError("unknown option \"" + arg + "\"");
        }
    }
    if (options.receiver.auth == AuthMode::Password && options.receiver.password.empty())
        usageError("--auth password needs --password");
    return options;
}
