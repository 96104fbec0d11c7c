#include "builtin_logo.h"

#include <gtest/gtest.h>

#include <random>

#include "fake_io_sys.h"
#include "test_pictures.h"

namespace quenlark::converter {
namespace {

using testing::AfterStream;
using testing::compressLogoStream;
using testing::fakeIoSys;
using testing::LogoBlockWriter;

// A block of 8192 bytes that costs a few: one byte, then a run of it.
std::string fullBlock() {
    return LogoBlockWriter().literal(9).copy(1, 8191).block(8192);
}

// The IO.SYS of Windows ME: the same loader, then 'CM' and chunks of its own
// (which hold "DS" too), and 'CM' again.
std::string windowsMeIoSys() {
    const std::string filler = fakeIoSys("");
    std::string chunk = {'\x01', '\x00', '\x12', '\x00', '\x20', 'D', 'S', '\0', '\0'};
    chunk += filler.substr(0x2000, 0x1200 - 4);
    return filler.substr(0, 0x800) + "CM" + chunk + chunk + std::string(3, '\0') + "CM";
}

TEST(BuiltinLogo, ComesBackAsOurLogoFileFromEitherWindowsForm) {
    const std::string logoFile = encodeLogo(testing::patternLogo());
    // Windows 98's bitmap says biSizeImage 0 and has two bytes more.
    std::string windows98Form = logoFile + std::string(2, '\0');
    std::fill_n(windows98Form.begin() + 34, 4, '\0');

    for (const std::string& bitmap : {logoFile, windows98Form}) {
        testing::TokenCounts counts;
        const auto back = builtinLogo(fakeIoSys(compressLogoStream(bitmap, &counts)));
        ASSERT_TRUE(back) << bitmap.size() << ": " << back.error();
        EXPECT_EQ(*back, logoFile) << bitmap.size();
        // Literals of both kinds, copies of each distance, runs and markers:
        // the decoder met every kind of token.
        EXPECT_EQ(counts.size(), 7u) << bitmap.size();
    }
}

TEST(BuiltinLogo, RefusesWhatHoldsNoLogoSayingWhy) {
    const std::string stream = compressLogoStream(encodeLogo(testing::patternLogo()));
    const std::string end = testing::kEndOfLogoStream;
    std::string manyBlocks;
    for (int i = 0; i <= 128; ++i)
        manyBlocks += fullBlock();
    const struct {
        const char* what;
        std::string ioSys;
        const char* says;
    } cases[] = {
        {"no stream", fakeIoSys(""), "IO.SYS holds no built-in start-up logo."},
        {"cut in a block", fakeIoSys(stream.substr(0, 20000), AfterStream::EndOfFile),
         "cut short: a block runs past the end of the file"},
        {"cut before the end word",
         fakeIoSys(stream.substr(0, stream.size() - 2), AfterStream::EndOfFile),
         "cut short: the file ends before the stream does"},
        {"data short of the size",
         fakeIoSys(LogoBlockWriter().literal(1).literal(200).block(3) + end),
         "cut short: a block ends before its data does"},
        {"copy before the block", fakeIoSys(LogoBlockWriter().literal(1).copy(2, 2).block(3)),
         "damaged: a copy points outside its block"},
        {"copy into the block before",
         fakeIoSys(fullBlock() + LogoBlockWriter().copy(1, 2).block(2) + end),
         "damaged: a copy points outside its block"},
        {"more than the size", fakeIoSys(LogoBlockWriter().literal(1).copy(1, 5).block(4)),
         "damaged: a block holds more than its header says"},
        {"a copy longer than any block",
         fakeIoSys(LogoBlockWriter().literal(1).copy(1, 9000).block(4)),
         "damaged: a block holds more than its header says"},
        {"broken second header",
         fakeIoSys(fullBlock() + std::string("\x10\x80\x00\x20xS\0\0", 8) + end),
         "damaged: a block's header is broken"},
        {"more than a megabyte", fakeIoSys(manyBlocks + end),
         "damaged: it decodes to more than 1 MB"},
        {"a bitmap of another size",
         fakeIoSys(compressLogoStream(testing::bmpFile({640, 480}, std::string(640 * 480, 'a')))),
         "not a start-up logo: it is 640 x 480 pixels"},
    };
    EXPECT_EQ(builtinLogo(windowsMeIoSys()).error(), kWindowsMeNotSupported);
    for (const auto& c : cases) {
        const auto result = builtinLogo(c.ioSys);
        EXPECT_FALSE(result) << c.what;
        EXPECT_NE(result.error().find(c.says), std::string::npos)
            << c.what << ": " << result.error();
    }

    // Whatever is cut or scribbled, the decoder stays inside what it was given.
    for (std::size_t length = 0; length < stream.size(); length += 1009)
        EXPECT_FALSE(builtinLogo(stream.substr(0, length))) << length;
    std::mt19937 random(7);
    for (int round = 0; round < 100; ++round) {
        std::string scribbled = stream;
        for (int i = 0; i < 3; ++i)
            scribbled[random() % scribbled.size()] = static_cast<char>(random());
        (void)builtinLogo(scribbled);
    }
}

}  // namespace
}  // namespace quenlark::converter
