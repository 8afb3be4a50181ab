// Icons drawn in SVG whose pictures at the size they are shown at were rendered when the program was built.
#pragma once

#include <QIcon>

namespace PrerenderedIcons {

/// The side, in pixels, of the pictures rendered at build time.
extern const int side;
/// The premultiplied ARGB32 pixels (side x side, row after row) rendered at build time from the SVG resource at
/// path (":/name.svg"), or null when that drawing was not rendered then. Both are generated at build time.
const unsigned int *pixelsOf(const char *path);

/// The icon of the SVG resource at path. Asked for at side x side, it gives the picture rendered at build time,
/// the same that Qt's SVG icon engine would render from the file, without loading that engine or reading the
/// drawing; at any other size it renders the drawing. Its disabled and active looks come from the style, as for
/// any icon.
QIcon icon(const char *path);

} // namespace PrerenderedIcons
