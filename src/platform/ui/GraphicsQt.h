#pragma once
// Internal to platform_ui: the Qt side of fonts and bitmaps.
#include <QFont>
#include <QImage>
#include <QPixmap>

#include "platform/ui/Graphics.h"

QFont ToQFont(const TFont& font);
// One of `parts` equal images side by side in the bitmap as a pixmap; with
// `transparent` the bitmap's transparent colour becomes see-through.
QPixmap ToQPixmap(const TBitmap& bitmap, int part, int parts, bool transparent);
