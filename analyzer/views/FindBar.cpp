#include "FindBar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "DesignControls.h"
#include "QtText.h"

namespace kivra {
namespace {

// A button showing a sign, named by what it does.
QToolButton* SmallButton(QWidget* parent, const char* name, const QString& text, const QString& tip) {
    auto* button = Named(new QToolButton(parent), name, tip);
    button->setText(text);
    button->setToolTip(tip);
    button->setAutoRaise(true);
    return button;
}

QCheckBox* Toggle(QWidget* parent, const char* name, const char* text) {
    return Named(new QCheckBox(QString::fromLatin1(text), parent), name, QString::fromLatin1(text));
}

}  // namespace

FindBar::FindBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("findBar"));
    setAccessibleName(QStringLiteral("Find"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(6);

    auto* label = new QLabel(QStringLiteral("Find:"), this);
    txtFind_ = Named(new QLineEdit(this), "txtFind", QStringLiteral("Find"));
    txtFind_->setMinimumWidth(180);
    txtFind_->installEventFilter(this);
    label->setBuddy(txtFind_);
    cmdFindPrevious_ = SmallButton(this, "cmdFindPrevious", QStringLiteral("\u25B2"), QStringLiteral("Previous match"));
    cmdFindNext_ = SmallButton(this, "cmdFindNext", QStringLiteral("\u25BC"), QStringLiteral("Next match"));
    chkMatchCase_ = Toggle(this, "chkMatchCase", "Match case");
    chkRegex_ = Toggle(this, "chkRegex", "Regular expression");
    chkDataFields_ = Toggle(this, "chkDataFields", "Data fields too");
    lblFindCount_ = Named(new QLabel(this), "lblFindCount", QStringLiteral("Matches"));
    lblFindCount_->setMinimumWidth(110);
    cmdFindClose_ = SmallButton(this, "cmdFindClose", QStringLiteral("\u2715"), QStringLiteral("Close find bar"));

    layout->addWidget(label);
    layout->addWidget(txtFind_, 1);
    layout->addWidget(cmdFindPrevious_);
    layout->addWidget(cmdFindNext_);
    layout->addWidget(chkMatchCase_);
    layout->addWidget(chkRegex_);
    layout->addWidget(chkDataFields_);
    layout->addWidget(lblFindCount_);
    layout->addWidget(cmdFindClose_);

    connect(txtFind_, &QLineEdit::textChanged, this, &FindBar::QueryChanged);
    for (QCheckBox* box : {chkMatchCase_, chkRegex_, chkDataFields_}) {
        connect(box, &QCheckBox::toggled, this, &FindBar::QueryChanged);
    }
    connect(cmdFindNext_, &QToolButton::clicked, this, &FindBar::NextRequested);
    connect(cmdFindPrevious_, &QToolButton::clicked, this, &FindBar::PreviousRequested);
    connect(cmdFindClose_, &QToolButton::clicked, this, [this] {
        hide();
        emit Closed();
    });
}

FindQuery FindBar::Query() const {
    FindQuery query;
    query.text = ToStdString(txtFind_->text());
    query.matchCase = chkMatchCase_->isChecked();
    query.regularExpression = chkRegex_->isChecked();
    query.dataFields = chkDataFields_->isChecked();
    return query;
}

void FindBar::SetToggles(bool matchCase, bool regularExpression, bool dataFields) {
    chkMatchCase_->setChecked(matchCase);
    chkRegex_->setChecked(regularExpression);
    chkDataFields_->setChecked(dataFields);
}

void FindBar::ShowCount(const QString& text, bool error) {
    lblFindCount_->setText(text);
    lblFindCount_->setStyleSheet(error ? QStringLiteral("color: rgb(200, 0, 0);") : QString());
}

QString FindBar::CountText() const { return lblFindCount_->text(); }

void FindBar::Open() {
    show();
    txtFind_->setFocus(Qt::ShortcutFocusReason);
    txtFind_->selectAll();
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtFind_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (key->modifiers() & Qt::ShiftModifier) {
                emit PreviousRequested();
            } else {
                emit NextRequested();
            }
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            hide();
            emit Closed();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace kivra
