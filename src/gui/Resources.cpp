#include "gui/Resources.h"

#include <algorithm>
#include <cstddef>

#include <wx/image.h>
#include <wx/mstream.h>
#include <wx/rawbmp.h>

extern const unsigned char theBackRuns[];
extern const std::size_t theBackRuns_size;
extern const unsigned char theBackRuns2x[];
extern const std::size_t theBackRuns2x_size;
extern const unsigned char theBackRunsDark[];
extern const std::size_t theBackRunsDark_size;
extern const unsigned char theBackRunsDark2x[];
extern const std::size_t theBackRunsDark2x_size;
extern const unsigned char regIconPng[];
extern const std::size_t regIconPng_size;

namespace {

wxImage ImageFromPng(const unsigned char* data, std::size_t size)
{
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    wxMemoryInputStream stream(data, size);
    return wxImage(stream, wxBITMAP_TYPE_PNG);
}

unsigned Read16(const unsigned char* bytes) { return bytes[0] | (bytes[1] << 8); }

// The runs that the build made of the background PNG: width and height,
// then for every run its length and colour (see PackBackground.cpp). They
// are unpacked straight into the bitmap's own pixels: a wxImage on the way
// would cost a second picture and the conversion of every pixel.
wxBitmap BitmapFromRuns(const unsigned char* runs, std::size_t size)
{
    if (size < 4)
        return {};
    const int width = static_cast<int>(Read16(runs));
    const int height = static_cast<int>(Read16(runs + 2));
    wxBitmap bitmap(width, height, 24);
    wxNativePixelData pixels(bitmap);
    if (!pixels)
        return {};
    unsigned char* row = wxNativePixelData::Iterator(pixels).m_ptr;
    int x = 0;
    int y = 0;
    for (std::size_t at = 4; at + 5 <= size && y < height; at += 5) {
        const unsigned char red = runs[at + 2], green = runs[at + 3], blue = runs[at + 4];
        for (unsigned n = Read16(runs + at); n > 0 && y < height; --n) {
            unsigned char* pixel = row + 3 * x;
            pixel[wxNativePixelFormat::RED] = red;
            pixel[wxNativePixelFormat::GREEN] = green;
            pixel[wxNativePixelFormat::BLUE] = blue;
            if (++x == width) {
                x = 0;
                ++y;
                row += pixels.GetRowStride();
            }
        }
    }
    return bitmap;
}

struct Runs {
    const unsigned char* data;
    std::size_t size;
};

class BackgroundBundle : public wxBitmapBundleImpl {
public:
    BackgroundBundle(Runs once, Runs twice) : onceRuns_(once), twiceRuns_(twice) {}

    wxSize GetDefaultSize() const override { return wxSize(1024, 768); }

    // Between the two, the larger one shrunk looks better than the smaller
    // one blown up.
    wxSize GetPreferredBitmapSizeAtScale(double scale) const override
    {
        return scale > 1.25 ? GetDefaultSize() * 2 : GetDefaultSize();
    }

    wxBitmap GetBitmap(const wxSize& size) override
    {
        const bool twice = size.x > GetDefaultSize().x;
        wxBitmap& bitmap = twice ? twice_ : once_;
        if (!bitmap.IsOk()) {
            const Runs& runs = twice ? twiceRuns_ : onceRuns_;
            bitmap = BitmapFromRuns(runs.data, runs.size);
            if (twice)
                bitmap.SetScaleFactor(2);
        }
        return bitmap;
    }

private:
    Runs onceRuns_;
    Runs twiceRuns_;
    wxBitmap once_;
    wxBitmap twice_;
};

}  // namespace

wxBitmap LoadBackgroundDesign() { return BitmapFromRuns(theBackRuns, theBackRuns_size); }

wxBitmapBundle LoadBackground(FormLook look)
{
    switch (look) {
    case FormLook::LightPicture:
        return wxBitmapBundle::FromImpl(
            new BackgroundBundle({theBackRuns, theBackRuns_size}, {theBackRuns2x, theBackRuns2x_size}));
    case FormLook::DarkPicture:
        return wxBitmapBundle::FromImpl(new BackgroundBundle({theBackRunsDark, theBackRunsDark_size},
                                                             {theBackRunsDark2x, theBackRunsDark2x_size}));
    case FormLook::SystemColours: break;
    }
    return {};
}

wxIcon LoadProgramIcon()
{
    wxIcon icon;
    icon.CopyFromBitmap(wxBitmap(ImageFromPng(regIconPng, regIconPng_size)));
    return icon;
}
