#pragma once

#include <QFont>
#include <QString>

class QCheckBox;
class QWidget;

namespace trovel::widgets {

enum FontStyle { kPlain = 0, kBold = 1, kItalic = 2, kUnderline = 4 };

// The face of every text: Tahoma where it is installed, else DejaVu Sans Condensed, close to
// Tahoma's width, with a true bold, every Hungarian letter and room for its accents (both
// found through fontconfig).
QString UiFamily();

// That face at a character height in pixels (a form's negative font height).
QFont Tahoma(int pixelHeight, int style = kPlain);

// Pixels the face in use draws the accents of capitals (Á, Ö, Ü) above its own ascent; 0 where
// it does not.
int AccentRoom();

// How many pixels the accents of capitals would be cut off at the top of `box`, as it is now.
int AccentOverflow(const QCheckBox* box);

// Gives every label under `root` that much room above its text, and every check box the room
// its accents need, so accents are not cut off.
void GiveAccentRoom(QWidget* root);

}  // namespace trovel::widgets
