#pragma once
// A drawing surface in user coordinates: the screen plot, the printed page, picture files and the
// clipboard picture all draw through it.  The surface keeps what is drawn until it is cleared.

#include <cstdint>
#include <string_view>

namespace vortlan {

struct Colour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Colour&, const Colour&) = default;
};

inline constexpr Colour kBlue{0, 0, 255};
inline constexpr Colour kRed{255, 0, 0};

struct UserPoint {
    double x = 0;
    double y = 0;
};

class Surface {
public:
    virtual ~Surface() = default;

    virtual void clear() = 0;
    // The left, top, right and bottom edges in user units; left may exceed right (x grows leftward) and
    // top exceed bottom (y grows upward).
    virtual void setCoordinates(double left, double top, double right, double bottom) = 0;
    // Lines are always solid; the width is in device pixels.
    virtual void setLineWidth(int pixels) = 0;
    // A text's extent in user units; negative where an axis runs backwards.
    virtual double textHeight(std::string_view text) = 0;
    virtual double textWidth(std::string_view text) = 0;

    virtual void setPosition(UserPoint p) = 0;
    virtual UserPoint position() const = 0;
    // A point at p in the foreground colour; the current position moves there.
    virtual void drawPoint(UserPoint p) = 0;
    // A line from the current position to p; the current position moves to p.
    virtual void lineTo(UserPoint p) = 0;
    virtual void lineTo(UserPoint p, Colour colour) = 0;
    // The text with its top-left corner at the current position, which then moves to the start of the
    // next text line.
    virtual void print(std::string_view text) = 0;
    virtual void setBold(bool bold) = 0;
    // An opaque text background covers what lies under the text.
    virtual void setOpaqueText(bool opaque) = 0;
    // Lines and points are drawn only inside the rectangle with these opposite corners (user units)
    // until the clip is cleared; a zoomed view relies on it to keep its curves inside the plot area.
    virtual void setClip(UserPoint corner, UserPoint opposite) = 0;
    virtual void clearClip() = 0;

    // A line between two positions in the foreground colour; the current position moves to the second.
    void line(UserPoint from, UserPoint to) {
        setPosition(from);
        lineTo(to);
    }
};

}  // namespace vortlan
