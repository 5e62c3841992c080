#pragma once

#include <wx/colour.h>
#include <wx/dc.h>

// Draws the sixteen labels in their places, grown by scale: into the
// pictures by the build's tool, and straight onto the form where the theme
// wants its own colours rather than a picture.
void DrawFormLabels(wxDC& dc, double scale, const wxColour& colour);
