#include "cli/pictures.h"

#include <QFileInfo>
#include <cstdlib>
#include <iostream>

#include "cli/arguments.h"

namespace vortlan::cli {

namespace {

constexpr int kSmallestSide = 16;
constexpr int kLargestSide = 10000;

void dropQtNotes(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::cerr << "vortlan-cli: " << text.toStdString() << '\n';
}

}  // namespace

GuiApplication::GuiApplication() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    qInstallMessageHandler(dropQtNotes);
    application_.emplace(argc_, argv_);
}

std::optional<QSize> parsePictureSize(const std::string& text) {
    const std::size_t x = text.find('x');
    if (x == std::string::npos) return std::nullopt;
    const auto width = parseWholeNumber(std::string_view(text).substr(0, x));
    const auto height = parseWholeNumber(std::string_view(text).substr(x + 1));
    const auto fits = [](const std::optional<int>& side) {
        return side && *side >= kSmallestSide && *side <= kLargestSide;
    };
    if (!fits(width) || !fits(height)) return std::nullopt;
    return QSize(*width, *height);
}

bool isPictureFile(const std::string& path) {
    const QString suffix = QFileInfo(QString::fromStdString(path)).suffix().toLower();
    return suffix == "png" || suffix == "pdf" || suffix == "svg";
}

}  // namespace vortlan::cli
