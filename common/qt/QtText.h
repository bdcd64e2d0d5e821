// Conversions between the cores' UTF-8 strings and Qt's strings.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace kivra {

inline QString ToQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline std::string ToStdString(const QString& text) { return text.toStdString(); }

}  // namespace kivra
