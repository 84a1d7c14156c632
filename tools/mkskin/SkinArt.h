// The pictures of our own skin, drawn by the program: a dark dashboard look.
//
// Picture names of the layout:
//   background          the panel's background, framing the items of the layout
//   button:<icon>       four cells (normal, pressed, selected, disabled) with an icon
//   text:<Words>        four cells with a caption ('_' stands for a space)
//   tab:<Words>         four cells of a tab
//   mute                three cells of the sound box (on, off, disabled)
//   nopicture, hidden   the video panes' no-picture and hidden-picture images
//   strip:<name>        a glyph strip, lamp or slide-bar picture of the status displays
#pragma once

#include "tools/mkskin/LayoutFile.h"

#include <QImage>

#include <string>

namespace trevix::mkskin {

// The picture of item, or a null image with error set when its name is unknown.
QImage DrawPicture(const LayoutItem& item, const Layout& layout, std::string& error);

} // namespace trevix::mkskin
