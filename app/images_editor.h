// The window "Images de la page": the images the current page refers to
// with their alternative texts, a thumbnail, and the giving of an alt text
// or a new name to one image.
#pragma once

#include <QImage>
#include <string>

class QWidget;

namespace kestrova {

// Opens the window for the current page (nothing when no page is loaded)
// and returns when it closes. True when the page changed, so that the caller
// analyses it again. With startReference, the first image of that reference
// is selected at first (else the first image).
bool ImagesEditor(QWidget* owner, const std::string& startReference = {});

// A picture made to fit a w x h box by halving both sides (integer
// division) while it is wider or higher.
QImage HalvedToFit(const QImage& picture, int w, int h);

}  // namespace kestrova
