// The analyzer's configuration dialog: every change goes to the settings
// file the moment it is made; there is no OK or Cancel.
#pragma once

#include <QDialog>

#include "WindowServices.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace kivra {

class frmConfig : public QDialog {
    Q_OBJECT
public:
    frmConfig(WindowServices& services, QWidget* parent = nullptr);

    void cmdSelect_Click();
    void cmdExit_Click() { close(); }

private:
    void Form_Load();
    void txtFormat_Change();
    void txtParamChar_Change();
    void chkShowTotal_Click();
    void chkShowBars_Click();
    void Store(const char* key, const QString& value);

    WindowServices& services_;
    QCheckBox* chkShowTotal_ = nullptr;
    QCheckBox* chkShowBars_ = nullptr;
    QLineEdit* txtFormat_ = nullptr;
    QLineEdit* txtParamChar_ = nullptr;
    QLineEdit* txtDefaultPath_ = nullptr;
    QToolButton* cmdSelect_ = nullptr;
    QToolButton* cmdExit_ = nullptr;
};

// The check box state that a stored flag shows: ticked for every value that
// reads as true, greyed for the number 2, clear otherwise.
Qt::CheckState CheckStateOfSetting(const std::string& stored);

}  // namespace kivra
