// Exceptions that carry the text a user sees; the controller shows them through the Host.
#pragma once
#include <cstdio>
#include <stdexcept>
#include <string>

namespace nl {

// Any failure whose message is meant for the user.
class TError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Bad or truncated input: a file, a stream or a clipboard block that does not parse.
class TReadError : public TError {
public:
    using TError::TError;
};

// A stitch generator could not produce stitches for an object (caught per object by Restitch).
class TGenerationError : public TError {
public:
    using TError::TError;
};

// A byte as the messages about file contents show it: "0x7F".
inline std::string HexByte(unsigned v) {
    char b[8];
    std::snprintf(b, sizeof b, "0x%02X", v & 0xFF);
    return b;
}

} // namespace nl
