#include "ui/window_placement.h"

#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <array>

namespace vortlan::ui {

namespace {

constexpr int kGap = 8;             // pixels between the two frames
constexpr int kLongestWait = 1000;  // milliseconds

// The length that fits into `room`, from `wanted` down to `minimum`.
int fitted(int wanted, int minimum, int room) {
    return std::max(minimum, std::min(wanted, room));
}

// The frame moved as little as it takes to lie inside `area`; one larger than the area keeps its
// top-left corner inside.
QRect inside(QRect frame, const QRect& area) {
    frame.moveLeft(
        std::clamp(frame.left(), area.left(), std::max(area.left(), area.right() - frame.width() + 1)));
    frame.moveTop(
        std::clamp(frame.top(), area.top(), std::max(area.top(), area.bottom() - frame.height() + 1)));
    return frame;
}

qint64 overlap(const QRect& a, const QRect& b) {
    const QRect common = a.intersected(b);
    return common.isEmpty() ? 0 : qint64(common.width()) * common.height();
}

// Ends a local event loop when the watched window comes on screen.
class ExposureWatch : public QObject {
  public:
    ExposureWatch(QWindow& window, QEventLoop& loop) : window_(window), loop_(loop) {
        window.installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Expose && window_.isExposed()) loop_.quit();
        return false;
    }

  private:
    QWindow& window_;
    QEventLoop& loop_;
};

}  // namespace

QRect frameBeside(const QRect& other, QSize wanted, QSize minimum, const QRect& available) {
    const QSize size = wanted.boundedTo(available.size()).expandedTo(minimum);
    const int heightBeside = fitted(size.height(), minimum.height(), available.bottom() - other.top() + 1);
    const int widthRight = fitted(size.width(), minimum.width(), available.right() - other.right() - kGap);
    const int widthLeft = fitted(size.width(), minimum.width(), other.left() - kGap - available.left());
    const int heightBelow =
        fitted(size.height(), minimum.height(), available.bottom() - other.bottom() - kGap);
    const std::array<QRect, 3> sides = {
        QRect(other.right() + 1 + kGap, other.top(), widthRight, heightBeside),
        QRect(other.left() - kGap - widthLeft, other.top(), widthLeft, heightBeside),
        QRect(other.left(), other.bottom() + 1 + kGap, size.width(), heightBelow),
    };
    QRect best = inside(sides[0], available);
    for (const QRect& side : sides) {
        const QRect frame = inside(side, available);
        if (overlap(frame, other) < overlap(best, other)) best = frame;
    }
    return best;
}

void waitUntilOnScreen(QWidget& window) {
    QWindow* handle = window.windowHandle();
    if (!handle || handle->isExposed()) return;
    QEventLoop loop;
    ExposureWatch watch(*handle, loop);
    QTimer::singleShot(kLongestWait, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace vortlan::ui
