#pragma once

#include <optional>
#include <string>
#include <string_view>

// The decoded path that a request target names: the part before any query ("?") or
// fragment ("#"), with its %XX escapes decoded. Nothing for a target that names no file
// by its path: not starting with "/" (an absolute URI, "*"), an invalid escape, an escaped
// "/" or NUL, or a "." or ".." segment.
std::optional<std::string> decodeRequestPath(std::string_view target);
