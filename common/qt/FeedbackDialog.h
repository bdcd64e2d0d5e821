// The analyzer's Feedback dialog: a feedback mail with a composed subject,
// or the maker's feedback page.
#pragma once

#include <QDialog>

#include "WindowServices.h"

class QComboBox;
class QLineEdit;
class QToolButton;

namespace kivra {

class frmFeedback : public QDialog {
    Q_OBJECT
public:
    frmFeedback(WindowServices& services, QWidget* parent = nullptr);

    void cmdSendEmail_Click();
    void cmdGotoFeedback_Click();
    void cmdExit_Click() { close(); }

private:
    void Form_Load();
    // The mail can be started once both the type and the subject hold text.
    void UpdateSendEmail();

    WindowServices& services_;
    QComboBox* cboType_ = nullptr;
    QLineEdit* txtSubject_ = nullptr;
    QToolButton* cmdSendEmail_ = nullptr;
};

}  // namespace kivra
