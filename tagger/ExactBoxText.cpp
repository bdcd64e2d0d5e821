#include "ExactBoxText.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace kivra {
namespace {

constexpr QChar kBreak = QLatin1Char('\n');

// The text with each line end (CR LF or a bare LF) as one "\n".
QString Kept(const QString& text) {
    QString kept;
    kept.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == kBreak) continue;
        kept += text[i];
    }
    return kept;
}

// What the document holds for a character: a paragraph separator for each
// character that breaks a line there, the character itself otherwise.
QChar Shown(QChar c) {
    return c == kBreak || c == QLatin1Char('\r') || c == QChar::ParagraphSeparator ? QChar(QChar::ParagraphSeparator)
                                                                                   : c;
}

QString Shown(const QString& kept) {
    QString shown = kept;
    for (QChar& c : shown) c = Shown(c);
    return shown;
}

qsizetype DocumentLength(const QPlainTextEdit& box) { return box.document()->characterCount() - 1; }

}  // namespace

ExactBoxText::ExactBoxText(QPlainTextEdit* box) : QObject(box), box_(box) {
    connect(box_->document(), &QTextDocument::contentsChange, this, &ExactBoxText::FollowEdit);
    box_->setTabChangesFocus(true);
    box_->installEventFilter(this);
}

bool ExactBoxText::eventFilter(QObject* watched, QEvent* event) {
    if (watched == box_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab && key->modifiers() == Qt::ControlModifier) {
            if (!box_->isReadOnly()) box_->insertPlainText(QStringLiteral("\t"));
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void ExactBoxText::SetText(const QString& text) {
    updating_ = true;
    exact_ = Kept(text);
    box_->setPlainText(Shown(exact_));
    updating_ = false;
    aligned_ = DocumentLength(*box_) == exact_.size();
}

void ExactBoxText::SetText(std::string_view utf8) {
    SetText(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

void ExactBoxText::Clear() {
    updating_ = true;
    exact_.clear();
    box_->clear();
    updating_ = false;
    aligned_ = true;
}

void ExactBoxText::Append(std::string_view utf8Lines) {
    const QString kept = Kept(QString::fromUtf8(utf8Lines.data(), static_cast<qsizetype>(utf8Lines.size())));
    updating_ = true;
    exact_ += kept;
    QTextCursor end(box_->document());
    end.movePosition(QTextCursor::End);
    end.insertText(Shown(kept));
    updating_ = false;
    aligned_ = aligned_ && DocumentLength(*box_) == exact_.size();
}

std::string ExactBoxText::Text() const {
    QString text;
    text.reserve(exact_.size() + exact_.size() / 24);
    for (const QChar c : exact_) {
        if (c == kBreak) text += QLatin1Char('\r');
        text += c;
    }
    return text.toStdString();
}

// An edit in the box: the characters from position on, removed of them
// gone and added new ones in their place. The document may name more than
// it changed (a whole block, its final separator); characters that still
// show the same at either end of the range keep their exact form.
void ExactBoxText::FollowEdit(int position, int removed, int added) {
    if (updating_) return;
    if (!aligned_) return Resynchronise();
    const int length = static_cast<int>(DocumentLength(*box_));
    const int oldLength = static_cast<int>(exact_.size());
    if (position < 0 || position > oldLength) return Resynchronise();
    removed = std::min(removed, oldLength - position);
    added = length - (oldLength - removed);
    if (added < 0 || position + added > length) return Resynchronise();

    QTextCursor range(box_->document());
    range.setPosition(position);
    range.setPosition(position + added, QTextCursor::KeepAnchor);
    const QString now = range.selectedText();
    if (now.size() != added) return Resynchronise();

    const QStringView before = QStringView(exact_).mid(position, removed);
    int head = 0;
    while (head < removed && head < added && Shown(before[head]) == now[head]) ++head;
    int tail = 0;
    while (tail < removed - head && tail < added - head && Shown(before[removed - 1 - tail]) == now[added - 1 - tail]) {
        ++tail;
    }
    QString middle = now.mid(head, added - head - tail);
    for (QChar& c : middle) {
        if (c == QChar::ParagraphSeparator) c = kBreak;  // a line break the user made
    }
    exact_.replace(position + head, removed - head - tail, middle);
    if (exact_.size() != length) Resynchronise();
}

// The box and the kept text no longer line up: the box's own text counts.
void ExactBoxText::Resynchronise() {
    aligned_ = true;
    exact_ = box_->document()->toRawText();
    for (QChar& c : exact_) {
        if (c == QChar::ParagraphSeparator) c = kBreak;
    }
}

}  // namespace kivra
