// What every main window holds for the life of its program: the message
// reporter and the settings store.
#pragma once

#include <QString>
#include <QWidget>
#include <memory>

#include "ConfigClass.h"
#include "MessageReporter.h"

namespace kivra {

class WindowServices {
public:
    // A null reporter gets modal message boxes titled programTitle over owner.
    WindowServices(const QString& programTitle, QWidget* owner, MessageReporter* reporter);
    ~WindowServices();

    MessageReporter& Reporter() const { return *reporter_; }
    const ConfigClass& Config() const { return *config_; }

private:
    std::unique_ptr<MessageReporter> ownReporter_;
    MessageReporter* reporter_;
    std::unique_ptr<ConfigClass> config_;
};

}  // namespace kivra
