#pragma once

#include <QFont>

class QWidget;

namespace trovel::widgets {

enum FontStyle { kPlain = 0, kBold = 1, kItalic = 2, kUnderline = 4 };

// Tahoma at a character height in pixels (a form's negative font height).
QFont Tahoma(int pixelHeight, int style = kPlain);

// Makes Tahoma available to the toolkit when the system has a copy outside the font
// path (Debian's fonts-wine keeps a metric-compatible one under /usr/share/wine/fonts).
void RegisterTahoma();

// Pixels the Tahoma in use draws the accents of capitals (Á, Ö, Ü) above its own ascent,
// as the copy in fonts-wine does; 0 where it does not.
int AccentRoom();

// Gives every label under `root` that much room above its text, so accents are not cut off.
void GiveAccentRoom(QWidget* root);

}  // namespace trovel::widgets
