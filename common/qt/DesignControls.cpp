#include "DesignControls.h"

#include <QIcon>
#include <QPixmap>
#include <algorithm>

#include "Twips.h"

namespace kivra {

void NameButtons(QWidget* window, std::initializer_list<std::pair<const char*, const char*>> names) {
    for (const auto& [object, name] : names) {
        if (auto* button = window->findChild<QToolButton*>(QString::fromLatin1(object))) {
            button->setAccessibleName(QString::fromLatin1(name));
        }
    }
}

QToolButton* MakePictureButton(QWidget* parent, const char* name, const char* icon, const char* tooltip, int left,
                               int top, int width, int height) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(QIcon(QStringLiteral(":/kivra/icons/%1.png").arg(QLatin1String(icon))));
    if (*tooltip != '\0') button->setToolTip(QString::fromLatin1(tooltip));
    button->setAutoRaise(true);
    PlaceInTwips(button, left, top, width, height);
    const int side = std::max(8, std::min(button->width(), button->height()) - 6);
    button->setIconSize(QSize(side, side));
    return button;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, int left, int top, int width, int height) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    PlaceInTwips(label, left, top, width, height);
    return label;
}

QGroupBox* MakeFrame(QWidget* parent, const char* name, const char* title, int left, int top, int width, int height) {
    auto* frame = new QGroupBox(QString::fromLatin1(title), parent);
    frame->setObjectName(QString::fromLatin1(name));
    PlaceInTwips(frame, left, top, width, height);
    return frame;
}

QLabel* MakePicture(QWidget* parent, const char* name, const char* image, int left, int top, int side) {
    QLabel* picture = MakeLabel(parent, name, "", left, top, side, side);
    picture->setPixmap(QPixmap(QStringLiteral(":/kivra/icons/%1.png").arg(QLatin1String(image)))
                           .scaled(picture->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    picture->setAlignment(Qt::AlignCenter);
    return picture;
}

}  // namespace kivra
