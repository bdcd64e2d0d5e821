#include "WindowServices.h"

#include "QtMessageReporter.h"

namespace kivra {

WindowServices::WindowServices(const QString& programTitle, QWidget* owner, MessageReporter* reporter)
    : reporter_(reporter) {
    if (reporter_ == nullptr) {
        ownReporter_ = std::make_unique<QtMessageReporter>(programTitle, owner);
        reporter_ = ownReporter_.get();
    }
    config_ = std::make_unique<ConfigClass>(*reporter_);
}

WindowServices::~WindowServices() = default;

}  // namespace kivra
