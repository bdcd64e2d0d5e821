// Controls placed at their design positions, given in twips, as both
// programs' windows lay them out.
#pragma once

#include <initializer_list>
#include <utility>

#include <QGroupBox>
#include <QLabel>
#include <QToolButton>

namespace kivra {

// A button that shows one of the bundled icons (":/kivra/icons/<icon>.png")
// instead of a caption. An empty tooltip sets none.
QToolButton* MakePictureButton(QWidget* parent, const char* name, const char* icon, const char* tooltip, int left,
                               int top, int width, int height);

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, int left, int top, int width, int height);

// A frame with a title, holding controls placed relative to it.
QGroupBox* MakeFrame(QWidget* parent, const char* name, const char* title, int left, int top, int width, int height);

// A square picture box showing one of the bundled images, scaled to fit.
QLabel* MakePicture(QWidget* parent, const char* name, const char* image, int left, int top, int side);

// Gives each picture button (by object name) the accessible name that says
// what it does: its caption, or the label or frame that names it. The
// pictures show no text a screen reader could read.
void NameButtons(QWidget* window, std::initializer_list<std::pair<const char*, const char*>> names);

// A control with its object name and the name a screen reader gives it.
template <typename Control>
Control* Named(Control* control, const char* objectName, const QString& accessibleName) {
    control->setObjectName(QString::fromLatin1(objectName));
    control->setAccessibleName(accessibleName);
    return control;
}

}  // namespace kivra
