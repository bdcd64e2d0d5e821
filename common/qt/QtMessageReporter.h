// Shows the programs' messages as modal message boxes.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "MessageReporter.h"

namespace kivra {

class QtMessageReporter : public MessageReporter {
public:
    // programTitle is the title of a box whose message has none of its own.
    explicit QtMessageReporter(QString programTitle, QWidget* parent = nullptr);

    using MessageReporter::Report;
    void Report(const Message& message) override;
    void SetParent(QWidget* parent) { parent_ = parent; }

private:
    QString programTitle_;
    QPointer<QWidget> parent_;
};

}  // namespace kivra
