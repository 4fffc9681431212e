#pragma once
// A surface that records what is drawn on it, with a fixed text size in device pixels.

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "plot/surface.h"

namespace vortlan::testing {

// A clip's corners in user units, ordered whichever way the axes run.
struct ClipRect {
    double xMin, yMin, xMax, yMax;
};

struct Drawn {
    enum Kind { Clear, Point, Line, Text } kind;
    UserPoint from;
    UserPoint to;
    std::string text;
    std::optional<Colour> colour;
    int width = 1;
    bool bold = false;
    bool opaque = false;
    std::optional<ClipRect> clip;  // the clip in force when it was drawn
};

class RecordingSurface : public Surface {
public:
    RecordingSurface(int widthPixels = 474, int heightPixels = 231) : width_(widthPixels), height_(heightPixels) {}

    void clear() override { record(Drawn::Clear, {}, {}, {}, {}); }
    void setCoordinates(double l, double t, double r, double b) override {
        left = l;
        top = t;
        right = r;
        bottom = b;
        coordinateSystems.push_back({l, t, r, b});
    }
    void setLineWidth(int pixels) override { width = pixels; }
    double textHeight(std::string_view) override { return kCharHeight * (bottom - top) / height_; }
    double textWidth(std::string_view text) override {
        return kCharWidth * static_cast<double>(text.size()) * (right - left) / width_;
    }
    void setPosition(UserPoint p) override { current = p; }
    UserPoint position() const override { return current; }
    void drawPoint(UserPoint p) override {
        record(Drawn::Point, p, p, {}, {});
        current = p;
    }
    void lineTo(UserPoint p) override { line(p, std::nullopt); }
    void lineTo(UserPoint p, Colour colour) override { line(p, colour); }
    void print(std::string_view text) override {
        record(Drawn::Text, current, current, std::string(text), {});
        current = {left, current.y + std::fabs(textHeight(text)) * (top > bottom ? -1 : 1)};
    }
    void setBold(bool b) override { bold = b; }
    void setOpaqueText(bool o) override { opaque = o; }
    void setClip(UserPoint a, UserPoint b) override {
        clip = ClipRect{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    }
    void clearClip() override { clip.reset(); }

    std::vector<Drawn> texts() const {
        std::vector<Drawn> result;
        for (const Drawn& d : drawn) {
            if (d.kind == Drawn::Text) result.push_back(d);
        }
        return result;
    }
    const Drawn* textStartingWith(std::string_view prefix) const {
        for (const Drawn& d : drawn) {
            if (d.kind == Drawn::Text && d.text.rfind(prefix, 0) == 0) return &d;
        }
        return nullptr;
    }

    static constexpr double kCharHeight = 12.0;
    static constexpr double kCharWidth = 6.0;
    struct Coordinates {
        double left, top, right, bottom;
    };
    std::vector<Coordinates> coordinateSystems;
    std::vector<Drawn> drawn;
    double left = 0, top = 0, right = 1, bottom = 1;
    int width = 1;
    bool bold = false;
    bool opaque = false;
    std::optional<ClipRect> clip;
    UserPoint current;

private:
    void line(UserPoint p, std::optional<Colour> colour) {
        record(Drawn::Line, current, p, {}, colour);
        current = p;
    }
    void record(Drawn::Kind kind, UserPoint from, UserPoint to, std::string text,
                std::optional<Colour> colour) {
        drawn.push_back({kind, from, to, std::move(text), colour, width, bold, opaque, clip});
    }
    int width_;
    int height_;
};

}  // namespace vortlan::testing
