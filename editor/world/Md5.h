#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// An MD5 message digest (RFC 1321) in the usual three steps: initialise,
// update as often as needed, final. The map reader fingerprints the text of
// every loaded map with it.
struct Md5Context {
    uint32_t state[4];
    uint32_t count[2];  // bits hashed so far, low word first
    unsigned char buffer[64];
    unsigned char digest[16];
    char hexDigest[33];

    Md5Context();
};

void md5Init(Md5Context& context);
void md5Update(Md5Context& context, const unsigned char* bytes, uint32_t length);
// Pads, writes digest and hexDigest, then clears the running state, so every
// use begins with md5Init.
void md5Final(Md5Context& context);

// The 32 lower-case hexadecimal digits of the digest of text.
std::string md5Hex(std::string_view text);
