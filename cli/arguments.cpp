#include "cli/arguments.h"

#include <algorithm>
#include <charconv>

#include "workspace/limits.h"

namespace vortlan::cli {

namespace {

const OptionSyntax* findOption(const CommandSyntax& syntax, std::string_view name) {
    const auto found = std::find_if(syntax.options.begin(), syntax.options.end(),
                                    [&](const OptionSyntax& o) { return o.name == name; });
    return found == syntax.options.end() ? nullptr : &*found;
}

// A lone "-" and negative numbers are words, not options.
bool looksLikeOption(std::string_view word) {
    if (word.size() < 2 || word[0] != '-') return false;
    return !(word[1] == '.' || (word[1] >= '0' && word[1] <= '9'));
}

std::string commandPrefix(const CommandSyntax& syntax) {
    return std::string(syntax.name) + ": ";
}

}  // namespace

std::optional<int> parseWholeNumber(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || last != end) return std::nullopt;
    return value;
}

Arguments::Arguments(const CommandSyntax& syntax, std::vector<std::string> words) : syntax_(syntax) {
    // The positionals stay in the words' own vector, moved to its front: no name is held twice.
    std::size_t positionals = 0;
    for (std::size_t i = 0; i < words.size(); ++i) {
        std::string& word = words[i];
        if (!looksLikeOption(word)) {
            if (i != positionals) words[positionals] = std::move(word);
            ++positionals;
            continue;
        }
        const std::size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        const OptionSyntax* option = findOption(syntax, name);
        if (!option) throw UsageError(commandPrefix(syntax) + "unknown option " + name);
        if (values_.count(name)) throw UsageError(commandPrefix(syntax) + name + " given twice");
        std::string value;
        if (equals != std::string::npos) {
            if (!option->takesValue) throw UsageError(commandPrefix(syntax) + name + " takes no value");
            value = word.substr(equals + 1);
        } else if (option->takesValue) {
            if (i + 1 >= words.size()) throw UsageError(commandPrefix(syntax) + name + " needs a value");
            value = words[++i];
        }
        values_.emplace(name, value);
    }
    words.resize(positionals);
    positionals_ = std::move(words);
    const int count = static_cast<int>(positionals_.size());
    if (count < syntax.minPositionals) throw UsageError(commandPrefix(syntax) + "missing arguments");
    if (syntax.maxPositionals >= 0 && count > syntax.maxPositionals)
        throw UsageError(commandPrefix(syntax) + "unexpected argument " +
                         positionals_[syntax.maxPositionals]);
}

bool Arguments::has(std::string_view option) const {
    return values_.find(option) != values_.end();
}

std::optional<std::string> Arguments::value(std::string_view option) const {
    const auto found = values_.find(option);
    if (found == values_.end()) return std::nullopt;
    return found->second;
}

std::string Arguments::required(std::string_view option) const {
    const auto found = value(option);
    if (!found) throw UsageError(commandPrefix(syntax_) + std::string(option) + " is required");
    return *found;
}

std::optional<int> Arguments::integer(std::string_view option, int low, int high) const {
    const auto text = value(option);
    if (!text) return std::nullopt;
    const auto number = parseWholeNumber(*text);
    if (!number || *number < low || *number > high) {
        throw UsageError(commandPrefix(syntax_) + std::string(option) + " must be a whole number from " +
                         std::to_string(low) + " to " + std::to_string(high));
    }
    return number;
}

std::optional<int> Arguments::optionalRegion() const {
    const auto number = integer("--region", 1, kRegionCount);
    if (!number) return std::nullopt;
    return *number - 1;
}

int Arguments::region() const {
    required("--region");
    return *optionalRegion();
}

int Arguments::peak() const {
    required("--peak");
    return *integer("--peak", 0, kPeakCount - 1);
}

std::optional<std::string> Arguments::choice(std::string_view option,
                                             const std::vector<std::string_view>& choices) const {
    const auto text = value(option);
    if (!text) return std::nullopt;
    if (std::find(choices.begin(), choices.end(), *text) != choices.end()) return text;
    std::string listed;
    for (std::string_view c : choices) listed += (listed.empty() ? "" : ", ") + std::string(c);
    throw UsageError(commandPrefix(syntax_) + std::string(option) + " must be one of " + listed);
}

}  // namespace vortlan::cli
