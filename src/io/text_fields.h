#pragma once
// Reading delimited text as the instrument exports write it: fields separated by commas or line ends,
// numbers also by blanks and tabs, text in double quotes taken whole.  Line ends may be LF or CR LF.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>

namespace vortlan {

// A read past the end of the text, or a field that should be a number but is not.
class FieldError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class FieldReader {
  public:
    explicit FieldReader(std::string text) : text_(std::move(text)) {}

    // Nothing but blanks, tabs and line ends remains.
    bool atEnd() const;

    // A text field: up to a comma or the end of the line, or between double quotes.
    std::string readText();
    // A number field: up to a blank, a tab, a comma or the end of the line; the whole field must be a
    // number.
    double readNumber();
    // A number field rounded half to even into a 16-bit integer; a value outside its range is an error.
    std::int16_t readShort();
    // A field read as a number when it begins like one, else as text.
    std::variant<double, std::string> readFree();
    // The characters up to the end of the line, which is consumed; a final line without a line end counts.
    std::string readLine();

    std::size_t position() const { return position_; }
    const std::string& text() const { return text_; }

  private:
    void skipBlanks();
    bool atLineEnd() const;
    void consumeLineEnd();
    void consumeDelimiter();
    [[noreturn]] void pastTheEnd() const;
    std::string text_;
    std::size_t position_ = 0;
};

// The number a whole text spells (blanks around it allowed), or nothing.
std::optional<double> wholeNumber(std::string_view text);

// Whether a field starting with this text is read as a number: any run of signs, then a digit or a
// point and a digit.  Such a field may still fail to be one ("--5").
bool beginsLikeNumber(std::string_view text);

}  // namespace vortlan
