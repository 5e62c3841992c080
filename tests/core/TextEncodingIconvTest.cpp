// The code page against the C library's iconv, which MinGW lacks.
#include <gtest/gtest.h>

#include <iconv.h>

#include "core/documents/TextEncoding.h"

namespace {

// Compared with the system's own table of the code page (iconv), which
// leaves five bytes undefined; those keep their value as C1 controls here.
TEST(TextEncoding, Windows1252AgreesWithTheSystemTable)
{
    const iconv_t table = iconv_open("UTF-8", "WINDOWS-1252");
    ASSERT_NE(table, reinterpret_cast<iconv_t>(-1));
    for (int byte = 0x80; byte <= 0xff; ++byte) {
        SCOPED_TRACE(byte);
        char in[1] = {static_cast<char>(byte)};
        char out[8] = {};
        char* inPointer = in;
        char* outPointer = out;
        std::size_t inLeft = 1, outLeft = sizeof out;
        const bool defined =
            iconv(table, &inPointer, &inLeft, &outPointer, &outLeft) != static_cast<std::size_t>(-1);
        const std::string expected = defined ? std::string(out, outPointer) : "\xc2" + std::string(in, 1);
        EXPECT_EQ(Utf8FromUtf8OrWindows1252(std::string(in, 1)), expected);
    }
    iconv_close(table);
    EXPECT_EQ(Utf8FromUtf8OrWindows1252("\x8c"), "\xc5\x92");  // Œ
}

}  // namespace
