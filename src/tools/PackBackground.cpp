// Build step: turns the background PNG into runs of equal pixels, which
// the program unpacks at start far faster than it could decode the PNG.
// Output: little-endian 16-bit width and height, then for every run a
// 16-bit length and the red, green and blue of its pixels.
// Usage: vantrel-pack-background IN.png OUT.runs
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include <wx/image.h>
#include <wx/init.h>

namespace {

void Put16(std::string& out, unsigned value)
{
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s IN.png OUT.runs\n", argv[0]);
        return 2;
    }
    wxInitializer wx;
    wxImage::AddHandler(new wxPNGHandler);
    const wxImage image(argv[1], wxBITMAP_TYPE_PNG);
    if (!image.IsOk() || image.GetWidth() > 0xFFFF || image.GetHeight() > 0xFFFF)
        return 1;
    std::string runs;
    Put16(runs, static_cast<unsigned>(image.GetWidth()));
    Put16(runs, static_cast<unsigned>(image.GetHeight()));
    const unsigned char* pixel = image.GetData();
    const std::size_t count = static_cast<std::size_t>(image.GetWidth()) * image.GetHeight();
    for (std::size_t i = 0; i < count;) {
        std::size_t length = 1;
        while (i + length < count && length < 0xFFFF &&
               std::equal(pixel + 3 * i, pixel + 3 * i + 3, pixel + 3 * (i + length)))
            ++length;
        Put16(runs, static_cast<unsigned>(length));
        runs.append(reinterpret_cast<const char*>(pixel + 3 * i), 3);
        i += length;
    }
    std::ofstream out(argv[2], std::ios::binary);
    out.write(runs.data(), static_cast<std::streamsize>(runs.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
