// Controls placed at their design positions, given in twips, as both
// programs' windows lay them out.
#pragma once

#include <QLabel>
#include <QToolButton>

namespace kivra {

// A button that shows one of the bundled icons (":/kivra/icons/<icon>.png")
// instead of a caption. An empty tooltip sets none.
QToolButton* MakePictureButton(QWidget* parent, const char* name, const char* icon, const char* tooltip, int left,
                               int top, int width, int height);

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, int left, int top, int width, int height);

}  // namespace kivra
