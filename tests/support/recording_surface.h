#pragma once
// A surface that records what is drawn on it, with a fixed text size in device pixels.

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "plot/surface.h"

namespace vortlan::testing {

struct Drawn {
    enum Kind { Clear, Point, Line, Text } kind;
    UserPoint from;
    UserPoint to;
    std::string text;
    std::optional<Colour> colour;
    int width = 1;
    bool bold = false;
    bool opaque = false;
};

class RecordingSurface : public Surface {
public:
    RecordingSurface(int widthPixels = 474, int heightPixels = 231) : width_(widthPixels), height_(heightPixels) {}

    void clear() override { drawn.push_back({Drawn::Clear, {}, {}, {}, {}, width, bold, opaque}); }
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
        drawn.push_back({Drawn::Point, p, p, {}, {}, width, bold, opaque});
        current = p;
    }
    void lineTo(UserPoint p) override { line(p, std::nullopt); }
    void lineTo(UserPoint p, Colour colour) override { line(p, colour); }
    void print(std::string_view text) override {
        drawn.push_back({Drawn::Text, current, current, std::string(text), {}, width, bold, opaque});
        current = {left, current.y + std::fabs(textHeight(text)) * (top > bottom ? -1 : 1)};
    }
    void setBold(bool b) override { bold = b; }
    void setOpaqueText(bool o) override { opaque = o; }

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
    UserPoint current;

private:
    void line(UserPoint p, std::optional<Colour> colour) {
        drawn.push_back({Drawn::Line, current, p, {}, colour, width, bold, opaque});
        current = p;
    }
    int width_;
    int height_;
};

}  // namespace vortlan::testing
