#pragma once
// The main window's own images: the program icon in its two registration
// states and the glyphs of the call button.
#include <QIcon>
#include <QPixmap>

namespace MainImages {
// Indexes of the main window's image list that the softphone names.
constexpr int kRegistered = 7;
constexpr int kCall = 11;
constexpr int kAnswer = 12;

// A handset on a tile: blue with a green lamp while the softphone is
// registered, grey while it is not.
QIcon ProgramIcon(bool registered);
// Image kCall or kAnswer of the image list (16 x 16); null for others.
QPixmap Glyph(int index);
}
