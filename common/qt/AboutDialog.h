// The About dialog of both programs: one design, with the analyzer's and
// the tagger's differences (placement, title, version label, second
// picture, the way to the Feedback dialog).
#pragma once

#include <QDialog>

#include "WindowServices.h"

namespace kivra {

enum class AboutVariant {
    Analyzer,  // "frmAbout": centred, leads to the Feedback dialog
    Tagger,    // "About": placed relative to the tagger's window, shows the version
};

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    // parent is the program's main window.
    AboutDialog(WindowServices& services, AboutVariant variant, QWidget* parent);

    void cmdHelp_Click();
    void cmdGotoBrindle_Click();
    void cmdGotoPayPal_Click();
    void cmdOpenFeedback_Click();
    void cmdExit_Click() { close(); }

private:
    void Form_Load();

    WindowServices& services_;
    AboutVariant variant_;
};

}  // namespace kivra
