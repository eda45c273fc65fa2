#pragma once

#include <stdexcept>
#include <string>

// Base64 as the token request and the credentials file use it. Texts are UTF-8 inside the
// program; the encoded bytes are the text in the single-byte code page, one byte per
// character, as the service and older credentials files expect.
namespace marlin {

// Raised by Base64Decode for text that cannot be Base64. Number and source are what
// callers that report the error show.
class Base64Error : public std::runtime_error {
  public:
    static constexpr long kNumber = -2147221504;  // 0x80040000 as a signed 32-bit value

    Base64Error() : std::runtime_error("Input string is not valid Base64.") {}
    long Number() const { return kNumber; }
    const char* Source() const { return "MyDecode"; }
};

// Encodes the text's bytes. The text is first padded with 1 or 2 characters of code 0 to
// a multiple of 3 characters, and the caller's variable keeps that padding. The output is
// broken into lines of 72 characters with CR LF (after every 54 input bytes), so it ends
// with CR LF when it is a whole number of lines; callers that need one line remove them.
std::string Base64Encode(std::string& text);

// Decodes after removing every CR and LF. Throws Base64Error when the remaining length is
// not a multiple of 4. Characters outside the alphabet count as zero bits.
std::string Base64Decode(const std::string& text);

// Base64Encode with the line breaks removed, for texts sent or stored on one line.
std::string Base64EncodeSingleLine(std::string text);

}  // namespace marlin
