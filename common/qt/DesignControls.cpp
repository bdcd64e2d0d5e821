#include "DesignControls.h"

#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <algorithm>

#include "Twips.h"

namespace kivra {
namespace {

// A label of the design's width: a text longer than the width ends in
// "…" and the whole text is the tooltip. text() is the whole text.
class FittedLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override {
        const QString whole = text();
        const QRect room = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
        const bool fits = whole.isEmpty() || !pixmap().isNull() || wordWrap() ||
                          fontMetrics().horizontalAdvance(whole) <= room.width();
        // The tooltip follows: the whole text while it is cut, none of ours
        // otherwise.
        if (!fits && toolTip() != whole) {
            setToolTip(whole);
            tipIsOurs_ = true;
        } else if (fits && tipIsOurs_) {
            setToolTip(QString());
            tipIsOurs_ = false;
        }
        if (fits) {
            QLabel::paintEvent(event);
            return;
        }
        QPainter painter(this);
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
        painter.drawText(room, static_cast<int>(alignment()),
                         fontMetrics().elidedText(whole, Qt::ElideRight, room.width()));
    }

private:
    bool tipIsOurs_ = false;
};

}  // namespace

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
    auto* label = new FittedLabel(QString::fromLatin1(text), parent);
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
