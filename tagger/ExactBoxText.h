// The exact text of the code box, kept beside it. Read back from the box,
// a text would change: a non-breaking space comes back as a blank, U+2028
// and U+2029 as line breaks, a bare CR breaks its line. The box shows the
// text; this keeps it character for character and follows every edit the
// user makes in the box, so that what leaves is what came in. As the
// classic text box does, Tab and Shift+Tab move the focus on; Ctrl+Tab types
// a tab character.
#pragma once

#include <QObject>
#include <QString>
#include <string>
#include <string_view>

class QPlainTextEdit;

namespace kivra {

class ExactBoxText : public QObject {
public:
    explicit ExactBoxText(QPlainTextEdit* box);

    // Shows the text. Its lines end at CR LF or at a bare LF; a bare CR
    // stays inside its line.
    void SetText(const QString& text);
    void SetText(std::string_view utf8);
    void Clear();
    // Adds a run's output (whole lines, each followed by CR LF) at the end.
    void Append(std::string_view utf8Lines);

    // The text, its lines separated by CR LF, in UTF-8.
    std::string Text() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FollowEdit(int position, int removed, int added);
    void Resynchronise();

    QPlainTextEdit* box_;
    // One character per position of the box's document; a line break is "\n".
    QString exact_;
    bool updating_ = false;
    // The document holds one position per kept character.
    bool aligned_ = true;
};

}  // namespace kivra
