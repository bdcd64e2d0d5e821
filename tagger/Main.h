// The tagger's one window.
#pragma once

#include <QMainWindow>

#include "WindowServices.h"

namespace kivra {

class Main : public QMainWindow {
    Q_OBJECT
public:
    explicit Main(const WindowSeams& seams = {}, QWidget* parent = nullptr);
    ~Main() override;

    const ConfigClass& Config() const { return services_.Config(); }

private:
    void Form_Load();

    WindowServices services_;
};

}  // namespace kivra
