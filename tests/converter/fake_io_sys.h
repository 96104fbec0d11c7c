#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "logo_bitmap.h"

namespace quenlark::converter::testing {

// IO.SYS files made up for the tests: we have no real one and ship none.

// How often each kind of token was written ("far copy", "run", ...), so that
// a test can tell it met them all.
using TokenCounts = std::map<std::string, int>;

// One block of the built-in logo's coding, token by token, as IO.SYS has it.
class LogoBlockWriter {
  public:
    explicit LogoBlockWriter(TokenCounts* counts = nullptr) : counts_(counts) {}
    LogoBlockWriter& literal(std::uint8_t byte);
    LogoBlockWriter& copy(unsigned distance, unsigned length);
    LogoBlockWriter& marker();
    // The block with its header, claiming to decode to `decodedSize` bytes.
    std::string block(std::size_t decodedSize) const;

  private:
    void put(unsigned value, unsigned bits);
    void count(const char* kind);
    TokenCounts* counts_;
    std::string bytes_;
    unsigned bitCount_ = 0;
};

// `data` compressed as Windows keeps it: blocks of 8192 bytes and a shorter
// last one, the longer of a run and the last match of a byte pair or else a
// literal, a marker every 512 bytes, and the end word.
std::string compressLogoStream(std::string_view data, TokenCounts* counts = nullptr);

inline const std::string kEndOfLogoStream(2, '\0');

// A logo of our own with something for every kind of token: noise, a row
// repeated, patterns with short and middle periods, a band of one colour.
LogoPicture patternLogo();

// An IO.SYS of 95 or 98 as far as the decoder can tell: the loader, filler
// with look-alikes of a block header, `stream` at an odd offset and, unless
// the file is to end with the stream, more filler.
enum class AfterStream { Filler, EndOfFile };
std::string fakeIoSys(std::string_view stream, AfterStream after = AfterStream::Filler);

}  // namespace quenlark::converter::testing
