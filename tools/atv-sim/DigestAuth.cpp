#include "DigestAuth.h"

#include "Crypto.h"

#include <cctype>
#include <map>
#include <optional>

namespace {

constexpr std::string_view realm = "AirPlay";
constexpr std::string_view user = "AirPlay";

bool isSpace(char c)
{
    return c == ' ' || c == '\t';
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// The name=value and name="value" pairs after "Digest", names in lower case.
std::optional<std::map<std::string, std::string>> parameters(std::string_view value)
{
    constexpr std::string_view scheme = "Digest";
    if (value.size() <= scheme.size() || !equalsIgnoringCase(value.substr(0, scheme.size()), scheme) ||
        !isSpace(value[scheme.size()]))
        return std::nullopt;
    std::map<std::string, std::string> out;
    std::size_t i = scheme.size();
    while (i < value.size()) {
        while (i < value.size() && (isSpace(value[i]) || value[i] == ','))
            ++i;
        if (i == value.size())
            break;
        std::size_t equals = value.find('=', i);
        if (equals == std::string_view::npos)
            return std::nullopt;
        std::string name(value.substr(i, equals - i));
        while (!name.empty() && isSpace(name.back()))
            name.pop_back();
        for (char& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        i = equals + 1;
        while (i < value.size() && isSpace(value[i]))
            ++i;
        std::string text;
        if (i < value.size() && value[i] == '"') {
            ++i;
            while (i < value.size() && value[i] != '"') {
                if (value[i] == '\\' && i + 1 < value.size())
                    ++i;
                text += value[i++];
            }
            if (i == value.size())
                return std::nullopt;
            ++i;
        } else {
            while (i < value.size() && value[i] != ',' && !isSpace(value[i]))
                text += value[i++];
        }
        out[name] = text;
    }
    return out;
}

} // namespace

std::string DigestAuth::challenge()
{
    nonce_ = toBase64(crypto::randomBytes(issued_++ % 2 == 0 ? 16 : 17));
    return "Digest realm=\"" + std::string(realm) + "\", nonce=\"" + nonce_ + "\"";
}

std::string DigestAuth::problem(std::string_view authorization, std::string_view method, std::string_view uri,
                                std::string_view password) const
{
    if (nonce_.empty())
        return "no challenge issued on this connection yet";
    if (authorization.empty())
        return "no Authorization header";
    std::optional<std::map<std::string, std::string>> params = parameters(authorization);
    if (!params)
        return "Authorization is not a readable Digest header";
    auto get = [&](const char* name) {
        auto it = params->find(name);
        return it == params->end() ? std::string() : it->second;
    };
    if (get("username") != user)
        return "username is \"" + get("username") + "\", not \"AirPlay\"";
    if (get("realm") != realm)
        return "realm is \"" + get("realm") + "\", not \"AirPlay\"";
    if (get("nonce") != nonce_)
        return "nonce \"" + get("nonce") + "\" is not the last one issued, \"" + nonce_ + "\"";
    if (get("uri") != uri)
        return "uri \"" + get("uri") + "\" is not the request target \"" + std::string(uri) + "\"";
    if (params->count("algorithm") && !equalsIgnoringCase(get("algorithm"), "MD5"))
        return "algorithm is \"" + get("algorithm") + "\", not MD5";
    std::string ha1 =
        crypto::md5Hex(std::string(user) + ":" + std::string(realm) + ":" + std::string(password));
    std::string ha2 = crypto::md5Hex(std::string(method) + ":" + std::string(uri));
    std::string expected = crypto::md5Hex(ha1 + ":" + nonce_ + ":" + ha2);
    if (get("response") != expected)
        return "response \"" + get("response") + "\" does not match (wrong password?)";
    return {};
}
