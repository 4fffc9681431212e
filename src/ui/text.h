#pragma once
// The core's texts are 8-bit (the files store them so); the widgets' are Unicode.

#include <QString>
#include <string>
#include <string_view>

namespace vortlan::ui {

inline QString toQt(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string fromQt(const QString& text) {
    return text.toLatin1().toStdString();
}

}  // namespace vortlan::ui
