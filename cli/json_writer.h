#pragma once
// A small JSON writer for the tool's machine-readable output: objects and arrays written in order,
// indented two blanks a level, with the commas and the string escapes done here once.

#include <string>
#include <string_view>
#include <vector>

namespace vortlan::cli {

class JsonWriter {
  public:
    enum class Layout { Indented, OneLine };
    // OneLine writes the document without blanks or line feeds but the one that ends it, as a line of
    // a JSON Lines file.
    explicit JsonWriter(Layout layout = Layout::Indented) : oneLine_(layout == Layout::OneLine) {}

    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    // The name of the next member of the open object.
    JsonWriter& key(std::string_view name);

    JsonWriter& value(std::string_view text);
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }
    JsonWriter& value(bool flag);
    JsonWriter& value(int number);
    // The shortest decimal that reads back as the same single; null for infinities and NaN, which JSON
    // cannot hold.
    JsonWriter& value(float number);
    JsonWriter& null();

    // The document, ending with a line feed once the outermost value is closed.
    const std::string& text() const { return out_; }

  private:
    void beforeValue();
    void newLine();

    std::string out_;
    struct Level {
        bool empty = true;
    };
    std::vector<Level> open_;
    bool afterKey_ = false;
    bool oneLine_ = false;
};

// The text as a JSON string literal, quotes included.  Control characters are escaped, and bytes that
// are not UTF-8 (captions of old files are 8-bit ANSI) are taken as Latin-1.
std::string jsonString(std::string_view text);

}  // namespace vortlan::cli
