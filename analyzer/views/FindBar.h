// The find bar under the views: a text box, three toggles, the count of
// matches and buttons for the next and previous match. Enter goes to the
// next match, Shift+Enter to the previous one, Esc closes the bar.
#pragma once

#include <QWidget>

#include "TreeSearch.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace kivra {

class FindBar : public QWidget {
    Q_OBJECT
public:
    explicit FindBar(QWidget* parent = nullptr);

    FindQuery Query() const;
    void SetToggles(bool matchCase, bool regularExpression, bool dataFields);

    // The count beside the box; an error shows in red.
    void ShowCount(const QString& text, bool error = false);
    QString CountText() const;

    // Shows the bar with the box focused and its text selected.
    void Open();

signals:
    void QueryChanged();
    void NextRequested();
    void PreviousRequested();
    void Closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* txtFind_ = nullptr;
    QCheckBox* chkMatchCase_ = nullptr;
    QCheckBox* chkRegex_ = nullptr;
    QCheckBox* chkDataFields_ = nullptr;
    QLabel* lblFindCount_ = nullptr;
    QToolButton* cmdFindPrevious_ = nullptr;
    QToolButton* cmdFindNext_ = nullptr;
    QToolButton* cmdFindClose_ = nullptr;
};

}  // namespace kivra
