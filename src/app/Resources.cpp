#include "app/Resources.h"

#include <cstddef>

#include <wx/image.h>
#include <wx/mstream.h>

extern const unsigned char theBackPng[];
extern const std::size_t theBackPng_size;
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

}  // namespace

wxBitmap LoadBackgroundDesign()
{
    return wxBitmap(ImageFromPng(theBackPng, theBackPng_size), 24);
}

wxIcon LoadProgramIcon()
{
    wxIcon icon;
    icon.CopyFromBitmap(wxBitmap(ImageFromPng(regIconPng, regIconPng_size)));
    return icon;
}
