#pragma once

#include <QFont>

namespace trovel::app {

enum FontStyle { kPlain = 0, kBold = 1, kItalic = 2, kUnderline = 4 };

// Tahoma at a character height in pixels (a form's negative font height).
QFont Tahoma(int pixelHeight, int style = kPlain);

// Makes Tahoma available to the toolkit when the system has a copy outside the font
// path (Debian's fonts-wine keeps a metric-compatible one under /usr/share/wine/fonts).
void RegisterTahoma();

}  // namespace trovel::app
