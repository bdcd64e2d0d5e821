// The analyzer's main window.
#pragma once

#include <QMainWindow>

#include "WindowServices.h"

namespace kivra {

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    // The reporter shows the messages; a null one gets message boxes.
    explicit frmMain(MessageReporter* reporter = nullptr, QWidget* parent = nullptr);
    ~frmMain() override;

    const ConfigClass& Config() const { return services_.Config(); }

private:
    void Form_Load();

    WindowServices services_;
};

}  // namespace kivra
