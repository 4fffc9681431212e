// vortlan-cli run as a user runs it, in a fresh directory, on the shipped example spectra.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

using vortlan::testing::readWholeFile;
using vortlan::testing::TempDir;
namespace fs = std::filesystem;

std::string example(const std::string& name) {
    return std::string(VORTLAN_SOURCE_DIR) + "/examples/" + name;
}

std::string quoted(const std::string& word) {
    std::string out = "'";
    for (char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// ---- a small JSON reader, enough for `info --json` ----

struct Json {
    enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
    bool flag = false;
    double number = 0;
    std::string text;
    std::vector<Json> items;
    std::map<std::string, Json> members;

    const Json& operator[](const std::string& key) const { return members.at(key); }
    const Json& operator[](std::size_t index) const { return items.at(index); }
};

class JsonReader {
  public:
    explicit JsonReader(std::string text) : s_(std::move(text)) {}
    Json document() {
        Json value = read();
        skipBlanks();
        if (i_ != s_.size()) throw std::runtime_error("text after the document");
        return value;
    }

  private:
    void skipBlanks() {
        while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_]))) ++i_;
    }
    void expect(char c) {
        skipBlanks();
        if (i_ >= s_.size() || s_[i_] != c) throw std::runtime_error(std::string("expected ") + c);
        ++i_;
    }
    bool take(const std::string& word) {
        if (s_.compare(i_, word.size(), word) != 0) return false;
        i_ += word.size();
        return true;
    }
    std::string string() {
        expect('"');
        std::string out;
        while (s_.at(i_) != '"') {
            char c = s_[i_++];
            if (c == '\\') {
                c = s_.at(i_++);
                if (c == 'n') c = '\n';
                if (c == 't') c = '\t';
                if (c == 'u') {
                    c = static_cast<char>(std::stoi(s_.substr(i_, 4), nullptr, 16));
                    i_ += 4;
                }
            }
            out += c;
        }
        ++i_;
        return out;
    }
    Json read() {
        skipBlanks();
        Json value;
        const char c = s_.at(i_);
        if (c == '{') {
            value.kind = Json::Object;
            ++i_;
            skipBlanks();
            if (s_.at(i_) == '}') return ++i_, value;
            do {
                const std::string key = string();
                expect(':');
                value.members[key] = read();
                skipBlanks();
            } while (s_.at(i_++) == ',');
            if (s_[i_ - 1] != '}') throw std::runtime_error("expected }");
        } else if (c == '[') {
            value.kind = Json::Array;
            ++i_;
            skipBlanks();
            if (s_.at(i_) == ']') return ++i_, value;
            do {
                value.items.push_back(read());
                skipBlanks();
            } while (s_.at(i_++) == ',');
            if (s_[i_ - 1] != ']') throw std::runtime_error("expected ]");
        } else if (c == '"') {
            value.kind = Json::String;
            value.text = string();
        } else if (take("null")) {
        } else if (take("true") || take("false")) {
            value.kind = Json::Bool;
            value.flag = s_[i_ - 1] == 'e' && s_[i_ - 2] == 'u';
        } else {
            value.kind = Json::Number;
            std::size_t used = 0;
            value.number = std::stod(s_.substr(i_), &used);
            i_ += used;
        }
        return value;
    }

    std::string s_;
    std::size_t i_ = 0;
};

// Each test works in a directory of its own, without a default.opa: the built-in options apply.
class CliTest : public ::testing::Test {
  protected:
    Outcome run(const std::vector<std::string>& words) { return runTool(VORTLAN_CLI, words); }
    // `environment`: assignments the command line starts with, "LD_DEBUG=libs" say.
    Outcome runTool(const std::string& tool, const std::vector<std::string>& words,
                    const std::string& environment = "") {
        std::string command = "cd " + quoted(dir.path().string()) + " && " + environment + " " + quoted(tool);
        for (const std::string& w : words) command += " " + quoted(w);
        command += " >" + quoted(file("stdout")) + " 2>" + quoted(file("stderr")) + " </dev/null";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readWholeFile(file("stdout")),
                readWholeFile(file("stderr"))};
    }
    // A command that must succeed; its output.
    std::string ok(const std::vector<std::string>& words) {
        const Outcome r = run(words);
        EXPECT_EQ(r.status, 0) << words.front() << ": " << r.err;
        return r.out;
    }
    Json info(const std::string& project) { return JsonReader(ok({"info", project, "--json"})).document(); }
    std::string file(const std::string& name) const { return dir.file(name); }
    bool exists(const std::string& name) const { return std::ifstream(file(name)).good(); }

    // C 1s with a Shirley background over the whole range and the four components near their places.
    void fourPeakProject(const std::string& project) {
        ok({"import", "vamas", example("c1s.vms"), "-o", project});
        ok({"background", project, "--region", "1", "--type", "shirley", "-o", project});
        for (const auto& [position, area] : {std::pair{"284.7", "20000"}, std::pair{"286.4", "5000"},
                                             std::pair{"287.7", "2000"}, std::pair{"289.1", "3000"}}) {
            ok({"add-peak", project, "--region", "1", "--position", position, "--area", area, "--fwhm", "1.2",
                "--gl", "30", "-o", project});
        }
    }

    // A copy of the tool in DIR/bin, with `module`, when given, where the tool looks for its picture module.
    std::string copyOfTool(const std::string& module) {
        const fs::path tool = dir.path() / "bin" / "vortlan-cli";
        fs::create_directories(tool.parent_path());
        fs::copy_file(VORTLAN_CLI, tool);
        if (!module.empty()) {
            const fs::path place = (tool.parent_path() / VORTLAN_PICTURE_MODULE).lexically_normal();
            fs::create_directories(place.parent_path());
            fs::copy_file(module, place);
        }
        return tool.string();
    }

    TempDir dir;
};

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out.push_back(line);
    }
    return out;
}

std::vector<double> numbers(const std::string& line) {
    std::vector<double> out;
    std::istringstream in(line);
    for (double v; in >> v;) out.push_back(v);
    return out;
}

// Width and height from the PNG's IHDR chunk.
std::pair<int, int> pngSize(const std::string& bytes) {
    const auto at = [&](std::size_t i) {
        return (static_cast<unsigned char>(bytes.at(i)) << 24) |
               (static_cast<unsigned char>(bytes.at(i + 1)) << 16) |
               (static_cast<unsigned char>(bytes.at(i + 2)) << 8) |
               static_cast<unsigned char>(bytes.at(i + 3));
    };
    EXPECT_EQ(bytes.substr(1, 3), "PNG");
    return {at(16), at(20)};
}

TEST_F(CliTest, ImportBackgroundPeaksConstraintFitExportAndRender) {
    fourPeakProject("c1s.xps");
    EXPECT_EQ(run({"add-peak", "c1s.xps", "--region", "1", "-o", "five.xps"}).out, "4\n");
    ok({"constrain", "c1s.xps", "--peak", "1", "--param", "position", "--ref", "0", "--value", "1.5", "-o",
        "c1s.xps"});
    const double before = info("c1s.xps")["regions"][0]["chiSquare"].number;
    const Outcome fit = run({"fit", "c1s.xps", "--region", "1", "-o", "fitted.xps"});
    EXPECT_EQ(fit.status, 0);
    EXPECT_TRUE(fit.err == "Region 1: converged\nFile saved\n" ||
                fit.err == "Region 1: still improving — optimise again\nFile saved\n")
        << fit.err;

    const Json fitted = info("fitted.xps");
    const Json& region = fitted["regions"][0];
    // The verdict is kept in the project while its peaks stay as the fit left them.
    EXPECT_EQ(region["converged"].kind, Json::Bool);
    EXPECT_EQ(fit.err.rfind("Region 1: " + region["verdict"].text, 0), 0u) << fit.err;
    EXPECT_EQ(region["flags"].kind, Json::Array);
    EXPECT_LT(region["chiSquare"].number, before / 10);
    EXPECT_LT(region["chiSquare"].number, 2.0);  // the counting noise of the example
    EXPECT_NEAR(region["peaks"][1]["position"].number, region["peaks"][0]["position"].number + 1.5, 1e-4);
    EXPECT_NEAR(region["peaks"][0]["position"].number, 284.8, 0.05);

    const Outcome spectrum = run({"export", "spectrum", "fitted.xps", "--region", "1", "-o", "c1s.dat"});
    EXPECT_EQ(spectrum.err, "Data file exported\n");
    const auto table = lines(readWholeFile(file("c1s.dat")));
    ASSERT_EQ(table.size(), 362u);
    EXPECT_EQ(table[0].substr(0, 8), "B.E.(eV)");
    EXPECT_NE(table[0].find("difference"), std::string::npos);
    // Energy, raw, envelope, background, four peaks and the residual; the envelope sums the peaks.
    const auto row = numbers(table[181]);
    ASSERT_EQ(row.size(), 9u);
    EXPECT_NEAR(row[0], 287.0, 1e-3);
    EXPECT_NEAR(row[2] - row[3], (row[4] + row[5] + row[6] + row[7]) - 4 * row[3], 0.5);

    ok({"export", "peaks", "fitted.xps", "--region", "1", "-o", "c1s.par"});
    const auto peaks = lines(readWholeFile(file("c1s.par")));
    ASSERT_EQ(peaks.size(), 5u);
    for (std::size_t k = 0; k < 4; ++k) {
        const auto values = numbers(peaks[k + 1]);
        ASSERT_EQ(values.size(), 5u);
        EXPECT_EQ(values[0], region["peaks"][k]["peak"].number);
        EXPECT_NEAR(values[1], region["peaks"][k]["position"].number, 5e-4);
    }

    ok({"render", "fitted.xps", "--region", "1", "-o", "plot.png", "--size", "640x400"});
    EXPECT_EQ(pngSize(readWholeFile(file("plot.png"))), std::make_pair(640, 400));
    ok({"render", "fitted.xps", "--region", "1", "--table", "-o", "page.pdf"});
    EXPECT_EQ(readWholeFile(file("page.pdf")).substr(0, 4), "%PDF");
    // Colour and the residual panel each change the picture; the plain one stays as it was.
    const std::string plain = readWholeFile(file("plot.png"));
    for (const char* flag : {"--colour", "--residuals"}) {
        ok({"render", "fitted.xps", "--region", "1", flag, "-o", "styled.png", "--size", "640x400"});
        EXPECT_EQ(pngSize(readWholeFile(file("styled.png"))), std::make_pair(640, 400)) << flag;
        EXPECT_NE(readWholeFile(file("styled.png")), plain) << flag;
    }
    ok({"render", "fitted.xps", "--region", "1", "-o", "again.png", "--size", "640x400"});
    EXPECT_EQ(readWholeFile(file("again.png")), plain);
    // The printed page has no residual panel to draw: asking for one is refused, not ignored.
    const Outcome page =
        run({"render", "fitted.xps", "--region", "1", "--page", "--residuals", "-o", "p.png"});
    EXPECT_EQ(page.status, 2);
    EXPECT_FALSE(std::filesystem::exists(file("p.png")));
}

// A peak placed where the data hold nothing is flagged in fit's verdict line and info's lines, in the
// same words as info --json; the instrument's limit is taken, kept in the project, and refused when it
// is no width.
TEST_F(CliTest, FitAndInfoSayWhatTheFlagsAreAndTheInstrumentLimitIsKept) {
    fourPeakProject("c1s.xps");
    ok({"add-peak", "c1s.xps", "--region", "1", "--position", "293", "--fwhm", "0.3", "--area", "5", "-o",
        "five.xps"});
    for (const char* refused : {"0", "abc", "25"}) {
        const Outcome fit =
            run({"fit", "five.xps", "--region", "1", "--instrument-fwhm", refused, "-o", "x.xps"});
        EXPECT_EQ(fit.status, 1) << refused;
        EXPECT_NE(fit.err.find("instrument's FWHM limit"), std::string::npos) << fit.err;
    }
    const Outcome fit = run({"fit", "five.xps", "--region", "1", "--method", "lm", "--instrument-fwhm", "0.4",
                             "-o", "fitted.xps"});
    ASSERT_EQ(fit.status, 0) << fit.err;
    const Json region = info("fitted.xps")["regions"][0];
    EXPECT_EQ(region["verdict"].text, "converged, with flags");
    ASSERT_FALSE(region["flags"].items.empty());
    std::string flags;
    for (const Json& flag : region["flags"].items) flags += (flags.empty() ? "" : "; ") + flag.text;
    EXPECT_NE(fit.err.find("Region 1: converged, with flags — " + flags), std::string::npos) << fit.err;
    const std::string text = ok({"info", "fitted.xps"});
    EXPECT_NE(text.find("  flag: " + region["flags"][0].text + "\n"), std::string::npos) << text;
    for (const Json& peak : region["peaks"].items) EXPECT_GE(peak["fwhm"].number, 0.4 * (1 - 1e-6));

    EXPECT_EQ(info("fitted.xps")["instrumentFwhm"].number, 0.4);
    EXPECT_NE(text.find("Instrument FWHM limit 0.4 eV\n"), std::string::npos) << text;
    ok({"fit", "fitted.xps", "--region", "1", "--instrument-fwhm", "none", "-o", "free.xps"});
    EXPECT_EQ(info("free.xps")["instrumentFwhm"].kind, Json::Null);
}

TEST_F(CliTest, InfoKeepsEveryColumnOfThePeakTableApart) {
    ok({"import", "vamas", example("c1s.vms"), "-o", "wide.xps"});
    ok({"background", "wide.xps", "--region", "1", "-o", "wide.xps"});
    ok({"add-peak", "wide.xps", "--region", "1", "--position", "-1284.7123", "--area", "-1234567.8", "--fwhm",
        "0.7828957", "--gl", "30", "--type", "d", "--splitting", "-12.345678", "-o", "wide.xps"});
    const auto table = lines(ok({"info", "wide.xps"}));
    ASSERT_GE(table.size(), 4u);
    const std::string verdict = ", convergence unknown";
    EXPECT_EQ(table[1].substr(table[1].size() - verdict.size()), verdict) << table[1];
    std::istringstream row(table[3]);
    std::vector<std::string> columns;
    for (std::string word; row >> word;) columns.push_back(word);
    ASSERT_EQ(columns.size(), 12u) << table[3];
    EXPECT_EQ(columns[3], "-1284.712");
    EXPECT_EQ(columns[4], "-1234568");
    EXPECT_EQ(columns[6], "0.7828957");
    EXPECT_EQ(columns[8], "-12.34568");
}

// From the top of the C 1s line up its high-binding-energy flank the data fall: a Shirley background
// there has no step to follow, and info says what was drawn instead.
TEST_F(CliTest, InfoSaysWhenShirleyIsDrawnAsAStraightLine) {
    ok({"import", "vamas", example("c1s.vms"), "-o", "flank.xps"});
    ok({"background", "flank.xps", "--region", "1", "--low", "284.8", "--high", "288", "-o", "flank.xps"});
    const std::string note =
        "Shirley drawn as a straight line: the low-BE end lies above the high-BE end, so there is no step to "
        "follow";
    const auto text = lines(ok({"info", "flank.xps"}));
    ASSERT_GE(text.size(), 3u);
    EXPECT_EQ(text[1].rfind("  background shirley from 288 to 284.8 eV", 0), 0u) << text[1];
    EXPECT_EQ(text[2], "  " + note);
    const Json region = info("flank.xps")["regions"][0];
    EXPECT_EQ(region["background"].text + "|" + region["backgroundDrawn"].text, "shirley|linear");
    EXPECT_EQ(region["backgroundNote"].text, note);
    ok({"background", "flank.xps", "--region", "1", "--low", "278", "--high", "296", "-o", "flank.xps"});
    EXPECT_EQ(info("flank.xps")["regions"][0]["backgroundNote"].kind, Json::Null);
}

TEST_F(CliTest, InfoJsonHoldsWhatTheCommandsSet) {
    ok({"import", "auto", example("c1s.txt"), "--region", "3", "-o", "p.xps"});
    ok({"caption", "p.xps", "--region", "3", "--text", "C 1s \"sputtered\"", "-o", "p.xps"});
    ok({"background", "p.xps", "--region", "3", "--type", "linear", "--low", "280", "--high", "294",
        "--average", "5", "-o", "p.xps"});
    ok({"add-peak", "p.xps", "--region", "3",       "--position",  "285",  "--fwhm", "1.5",
        "--gl",     "20",    "--type",   "p",       "--splitting", "1.2",  "--ts",   "0.2",
        "--tl",     "5",     "--fix",    "fwhm,gl", "-o",          "p.xps"});
    ok({"add-peak", "p.xps", "--region", "3", "--height", "25", "-o", "p.xps"});
    ok({"constrain", "p.xps", "--peak", "1", "--param", "area", "--ref", "0", "--op", "*", "--value", "0.5",
        "--low", "10", "--high", "900000", "-o", "p.xps"});
    ok({"shift", "p.xps", "--region", "3", "--ev", "0.25", "-o", "p.xps"});

    const Json doc = info("p.xps");
    ASSERT_EQ(doc["regions"].items.size(), 1u);
    const Json& r = doc["regions"][0];
    EXPECT_EQ(r["region"].number, 3);
    EXPECT_EQ(r["caption"].text, "C 1s \"sputtered\"");
    EXPECT_EQ(r["points"].number, 361);
    EXPECT_EQ(r["bindingEnergyHigh"].number, 296);
    EXPECT_EQ(r["bindingEnergyLow"].number, 278);
    EXPECT_EQ(r["background"].text, "linear");
    EXPECT_EQ(r["rangeLow"].number, 280);
    EXPECT_EQ(r["rangeHigh"].number, 294);
    EXPECT_EQ(r["averagePoints"].number, 5);
    EXPECT_EQ(r["shift"].number, 0.25);
    EXPECT_NEAR(doc["totalChiSquare"].number, r["chiSquare"].number, 1e-6 * r["chiSquare"].number);

    const Json& first = r["peaks"][0];
    EXPECT_EQ(first["peak"].number, 0);
    EXPECT_EQ(first["slot"].number, 1);
    EXPECT_EQ(first["type"].text, "p");
    EXPECT_EQ(first["position"].number, 285);
    EXPECT_EQ(first["fwhm"].number, 1.5);
    EXPECT_EQ(first["gl"].number, 20);
    EXPECT_NEAR(first["splitting"].number, 1.2, 1e-6);
    EXPECT_NEAR(first["ts"].number, 0.2, 1e-6);
    EXPECT_EQ(first["tl"].number, 5);
    EXPECT_FALSE(first["fixed"]["position"].flag);
    EXPECT_TRUE(first["fixed"]["fwhm"].flag);
    EXPECT_TRUE(first["fixed"]["gl"].flag);

    const Json& second = r["peaks"][1];
    EXPECT_EQ(second["position"].number, 287);  // the centre of the fit range
    EXPECT_NEAR(second["height"].number, 25, 1e-3);
    const Json& area = second["constraints"]["area"];
    EXPECT_EQ(area["link"]["peak"].number, 0);
    EXPECT_EQ(area["link"]["op"].text, "*");
    EXPECT_EQ(area["link"]["value"].number, 0.5);
    EXPECT_EQ(area["limits"]["low"].number, 10);
    EXPECT_NEAR(second["area"].number, first["area"].number * 0.5, 1e-3 * first["area"].number);
    EXPECT_EQ(second["constraints"]["position"]["link"].kind, Json::Null);
}

// ---- standard errors ----

std::vector<std::string> csvCells(const std::string& line) {
    std::vector<std::string> cells;
    std::istringstream row(line + ",");
    for (std::string cell; std::getline(row, cell, ',');) cells.push_back(cell);
    return cells;
}

std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> out;
    std::istringstream in(line);
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

class CliErrorsTest : public CliTest {
  protected:
    // The four C 1s peaks fitted by Levenberg-Marquardt, peak 1's position tied to peak 0's.
    void fittedProject() {
        fourPeakProject("c1s.xps");
        ok({"constrain", "c1s.xps", "--peak", "1", "--param", "position", "--ref", "0", "--value", "1.5",
            "-o", "c1s.xps"});
        ok({"fit", "c1s.xps", "--region", "1", "--method", "lm", "-o", "fitted.xps"});
    }
};

TEST_F(CliErrorsTest, InfoGivesEveryPeakItsStandardErrorsAndNullWhereThereIsNone) {
    fittedProject();
    const Json doc = info("fitted.xps");
    const Json& peaks = doc["regions"][0]["peaks"];
    ASSERT_EQ(peaks.items.size(), 4u);
    for (std::size_t k = 0; k < 4; ++k) {
        const Json& e = peaks[k]["stderr"];
        for (const char* key : {"position", "area", "fwhm", "height"}) {
            ASSERT_EQ(e[key].kind, Json::Number) << k << key;
            EXPECT_GT(e[key].number, 0.0) << k << key;
            EXPECT_LT(e[key].number, 0.5 * std::fabs(peaks[k][key].number)) << k << key;
        }
        EXPECT_EQ(e["gl"].kind, Json::Null) << k;  // %GL is fixed
    }
    // The tied position has its reference's error.
    EXPECT_EQ(peaks[1]["stderr"]["position"].number, peaks[0]["stderr"]["position"].number);

    const auto text = lines(ok({"info", "fitted.xps"}));
    ASSERT_GE(text.size(), 12u);
    for (std::size_t row : {4u, 6u, 9u, 11u}) {
        EXPECT_EQ(text[row].rfind("        standard errors: position ± ", 0), 0u) << text[row];
        EXPECT_NE(text[row].find(", area ± "), std::string::npos) << text[row];
        EXPECT_NE(text[row].find(", %GL fixed"), std::string::npos) << text[row];
    }
    EXPECT_EQ(text[7], "        position = peak 0 + 1.5");
}

TEST_F(CliErrorsTest, ReportAgreesWithInfoAndTakesMonteCarloOnRequest) {
    fittedProject();
    const Outcome report = run({"export", "report", "fitted.xps", "--region", "1", "-o", "fit.csv"});
    EXPECT_EQ(report.status, 0);
    EXPECT_EQ(report.err, "Data file exported\n");
    const auto written = lines(readWholeFile(file("fit.csv")));
    // The peaks' table, an empty line, then the correlations of the 11 free parameters.
    ASSERT_EQ(written.size(), 5u + 1u + 12u);
    const std::vector<std::string> table(written.begin(), written.begin() + 5);
    EXPECT_EQ(written[5], "");
    EXPECT_EQ(table[0].rfind("region,peak,position,position_err,area,", 0), 0u) << table[0];
    const Json region = info("fitted.xps")["regions"][0];
    const Json& statistics = region["fitStatistics"];
    EXPECT_EQ(statistics["points"].number, 361);
    EXPECT_EQ(statistics["freeParameters"].number, 11);
    ASSERT_EQ(statistics["parameters"].items.size(), 11u);
    ASSERT_EQ(statistics["correlation"].items.size(), 11u);
    for (std::size_t a = 0; a < 11; ++a) {
        const Json& parameter = statistics["parameters"][a];
        EXPECT_EQ(csvCells(written[6])[a + 1],
                  "peak" + std::to_string(int(parameter["peak"].number)) + "_" + parameter["parameter"].text);
        for (std::size_t b = 0; b < 11; ++b) {
            const double correlation = statistics["correlation"][a][b].number;
            EXPECT_EQ(correlation, statistics["correlation"][b][a].number);
            EXPECT_EQ(correlation, std::stod(csvCells(written[7 + a])[b + 1]));
        }
        EXPECT_EQ(statistics["correlation"][a][a].number, 1.0);
    }
    for (std::size_t k = 0; k < 4; ++k) {
        const auto cells = csvCells(table[k + 1]);
        ASSERT_EQ(cells.size(), 19u) << table[k + 1];
        const Json& peak = region["peaks"][k];
        EXPECT_EQ(std::stod(cells[1]), peak["peak"].number);
        EXPECT_EQ(std::stod(cells[2]), peak["position"].number);
        EXPECT_EQ(std::stod(cells[3]), peak["stderr"]["position"].number);
        EXPECT_EQ(std::stod(cells[11]), peak["stderr"]["height"].number);
        EXPECT_EQ(std::stod(cells[12]), region["chiSquare"].number);
        EXPECT_EQ(cells[13] + " " + cells[14], "361 11");  // three free parameters a peak, less the tie
        EXPECT_EQ(std::stod(cells[15]), statistics["reducedChiSquare"].number);
        EXPECT_EQ(std::stod(cells[18]), statistics["residualRms"].number);
    }

    ok({"export", "report", "fitted.xps", "--region", "1", "--monte-carlo", "40", "-o", "mc.csv"});
    const auto monteCarlo = lines(readWholeFile(file("mc.csv")));
    ASSERT_EQ(monteCarlo.size(), 18u);
    for (std::size_t k = 1; k < 5; ++k) {
        const auto cells = csvCells(monteCarlo[k]);
        ASSERT_EQ(cells.size(), 31u) << monteCarlo[k];
        EXPECT_EQ(cells[23], "40");
        EXPECT_EQ(cells[24], "noise scaled to the fit's residuals (the unit does not say counts)");
        // Both estimate the spread the noise under the fit gives, the background's included.  The small
        // peaks of this example are far from the linear approximation: now and then a replica ends in
        // another division of their intensity, which moves the deviation much more than the 16-84 %
        // range, and the range too comes out above the Jacobian's error.
        for (std::size_t jacobian : {3u, 6u, 9u, 15u}) {
            const std::size_t robust = 25 + jacobian / 3 - 1;
            const double ratio = std::stod(cells[robust]) / std::stod(cells[jacobian]);
            EXPECT_GT(ratio, 0.5) << monteCarlo[0] << "\n" << monteCarlo[k];
            EXPECT_LT(ratio, 2.5) << monteCarlo[0] << "\n" << monteCarlo[k];
            EXPECT_GE(std::stod(cells[jacobian + 1]), 0.9 * std::stod(cells[robust])) << monteCarlo[k];
        }
    }
}

TEST_F(CliErrorsTest, FitWithMonteCarloPrintsBothErrorsOfEveryParameter) {
    fourPeakProject("c1s.xps");
    EXPECT_EQ(ok({"fit", "c1s.xps", "--region", "1", "--method", "lm", "-o", "plain.xps"}), "");
    const auto table = lines(
        ok({"fit", "c1s.xps", "--region", "1", "--method", "lm", "--monte-carlo", "30", "-o", "fitted.xps"}));
    ASSERT_EQ(table.size(), 23u);
    EXPECT_EQ(table[0], "Region 1: standard errors by the Jacobian and by Monte Carlo over 30 replicas");
    EXPECT_EQ(table[1], "Replicas: noise scaled to the fit's residuals (the unit does not say counts)");
    EXPECT_EQ(words(table[2]), (std::vector<std::string>{"peak", "parameter", "value", "Jacobian", "Monte",
                                                         "Carlo", "MC", "16-84", "%"}));
    const Json peaks = info("fitted.xps")["regions"][0]["peaks"];
    const char* const names[] = {"position", "area", "height", "FWHM", "%GL"};
    for (std::size_t row = 3; row < table.size(); ++row) {
        const std::size_t peak = (row - 3) / 5;
        auto cells = words(table[row]);
        if (cells.size() > 2 && cells[1] == "height") {  // its unit, "(%)", is a word of its own
            EXPECT_EQ(cells[2], "(%)") << table[row];
            cells.erase(cells.begin() + 2);
        }
        EXPECT_EQ(cells[0], std::to_string(static_cast<int>(peaks[peak]["peak"].number))) << table[row];
        EXPECT_EQ(cells[1], names[(row - 3) % 5]) << table[row];
        if (cells[1] == "%GL") {
            EXPECT_EQ(cells.size(), 6u) << table[row];
            EXPECT_EQ(cells[3] + " " + cells[4] + " " + cells[5], "fixed fixed fixed");
            continue;
        }
        ASSERT_EQ(cells.size(), 9u) << table[row];
        for (std::size_t sign : {3u, 5u, 7u}) EXPECT_EQ(cells[sign], "±") << table[row];
        for (std::size_t error : {6u, 8u}) EXPECT_GT(std::stod(cells[error]), 0.0) << table[row];
    }
    // The columns line up, ± or not: every row is as wide on the terminal.
    const auto shown = [](const std::string& line) {
        return std::count_if(line.begin(), line.end(),
                             [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
    };
    for (std::size_t row = 3; row < table.size(); ++row)
        EXPECT_EQ(shown(table[row]), shown(table[2])) << table[row];

    // With nothing free no replica runs, and the header says why rather than "over 0 of 5".
    ok({"import", "vamas", example("c1s.vms"), "-o", "held.xps"});
    ok({"background", "held.xps", "--region", "1", "--type", "shirley", "-o", "held.xps"});
    ok({"add-peak", "held.xps", "--region", "1", "--position", "284.8", "--area", "20000", "--fix",
        "position,area,fwhm,gl", "-o", "held.xps"});
    const auto none = lines(ok({"fit", "held.xps", "--region", "1", "--monte-carlo", "5", "-o", "held.xps"}));
    ASSERT_EQ(none.size(), 7u);
    EXPECT_EQ(none[0],
              "Region 1: standard errors by the Jacobian and by Monte Carlo (none of 5 replicas: "
              "nothing in the region is free to fit)");
    EXPECT_EQ(words(none[2]),
              (std::vector<std::string>{"0", "position", "284.8", "fixed", "fixed", "fixed"}));
}

TEST_F(CliTest, BatchFitsEachFileAndSkipsOneThatTheModelDoesNotFit) {
    fourPeakProject("model.xps");
    ok({"fit", "model.xps", "--region", "1", "-o", "model.xps"});
    ok({"params", "save", "model.xps", "--region", "1", "-o", "c1s.rpa"});

    const Outcome batch = run({"batch", "--model", "c1s.rpa", "--out", "results", example("c1s.vms"),
                               example("c1s.des"), example("ti2p.vms"), example("c1s.txt")});
    EXPECT_EQ(batch.status, 1);
    EXPECT_EQ(batch.err, "Incompatible region\nvortlan-cli: " + example("ti2p.vms") + ": skipped\n");

    const auto summary = lines(readWholeFile(file("results/summary.csv")));
    ASSERT_EQ(summary.size(), 4u);
    const std::string firstPeak =
        "file,chi_square,peak1_position,peak1_area,peak1_fwhm,peak1_gl,peak1_share,peak1_position_err,"
        "peak1_area_err,peak1_fwhm_err,peak1_gl_err,peak2_";
    EXPECT_EQ(summary[0].substr(0, firstPeak.size()), firstPeak);
    for (const std::string name : {"c1s.vms", "c1s.des", "c1s.txt"}) {
        for (const char* extension : {".xps", ".par", ".dat", ".png"}) {
            EXPECT_TRUE(exists("results/" + name + extension)) << name << extension;
        }
    }
    // Only the VAMAS file names its level (C 1s): its peaks' at.% follow all the peaks' own columns.
    const std::string lastColumns = "peak4_gl_err,peak1_atomic_percent,peak1_atomic_percent_err,peak2_";
    EXPECT_NE(summary[0].find(lastColumns), std::string::npos);
    for (std::size_t k = 1; k < summary.size(); ++k) {
        const std::vector<std::string> cells = csvCells(summary[k]);
        ASSERT_EQ(cells.size(), 52u) << summary[k];
        EXPECT_EQ(cells[0].substr(cells[0].size() - 7, 3), "c1s");
        EXPECT_EQ(cells[46], "yes");
        EXPECT_EQ(cells[47], "");  // a clean fit of the example has no flags
        // Every peak stands out of its noise: none has an upper limit.
        EXPECT_EQ(std::vector<std::string>(cells.begin() + 48, cells.end()), std::vector<std::string>(4, ""));
        double percents = 0;
        for (std::size_t p = 0; p < 4; ++p) {
            const std::string& percent = cells[38 + 2 * p];
            const std::string& error = cells[39 + 2 * p];
            if (k != 1) {
                EXPECT_EQ(percent + error, "") << summary[k];
                continue;
            }
            percents += std::stod(percent);
            EXPECT_NEAR(std::stod(percent), 100 * std::stod(cells[6 + 9 * p]), 1e-3);  // its share
            EXPECT_GT(std::stod(error), 0.0);
        }
        if (k == 1) {
            EXPECT_NEAR(percents, 100.0, 1e-3);
        }
        EXPECT_LT(std::stod(cells[1]), 5.0);
        double shares = 0;
        for (std::size_t p = 0; p < 4; ++p) {
            shares += std::stod(cells[6 + 9 * p]);
            for (std::size_t e = 7; e < 10; ++e) {
                const double error = std::stod(cells[e + 9 * p]);
                EXPECT_GT(error, 0.0);
                EXPECT_LT(error, 0.5 * std::stod(cells[e - 5 + 9 * p]));  // of the value it belongs to
            }
        }
        EXPECT_NEAR(shares, 1.0, 1e-5);
        EXPECT_NEAR(std::stod(cells[2]), 284.8, 0.05);
        EXPECT_EQ(cells[37], "");  // %GL is fixed: no error
    }
    EXPECT_EQ(info("results/c1s.vms.xps")["regions"][0]["peaks"].items.size(), 4u);
}

// A Leybold file of `count` regions, each the C 1s example's pairs.
std::string leyboldFileOfC1s(int count) {
    const std::string pairs = readWholeFile(example("c1s.txt"));
    std::string text = "Sample A\nRegions=" + std::to_string(count) + "\n";
    for (int k = 0; k < count; ++k) {
        text += "Region data,\"C 1s " + std::to_string(k + 1) + "\"\nPoints=361\n";
        text += pairs.substr(pairs.find('\n') + 1);
    }
    return text;
}

TEST_F(CliTest, TenRegionFileKeepsItsTenRegionsInImportAndBatch) {
    std::ofstream(file("ten.dat")) << leyboldFileOfC1s(10);
    const Outcome import = run({"import", "leybold", "ten.dat", "-o", "ten.xps"});
    EXPECT_EQ(import.status, 0);
    EXPECT_EQ(import.err, "Too many regions\nFile saved\n");
    const Json doc = info("ten.xps");
    ASSERT_EQ(doc["regions"].items.size(), 10u);
    EXPECT_EQ(doc["regions"][9]["caption"].text, "C 1s 10");
    EXPECT_EQ(doc["regions"][9]["points"].number, 361);

    fourPeakProject("model.xps");
    ok({"params", "save", "model.xps", "--region", "1", "-o", "c1s.rpa"});
    const Outcome batch = run({"batch", "--model", "c1s.rpa", "--out", "results", "ten.dat"});
    EXPECT_EQ(batch.status, 0);
    EXPECT_EQ(batch.err, "Too many regions\n");
    EXPECT_EQ(lines(readWholeFile(file("results/summary.csv"))).size(), 2u);
    EXPECT_EQ(info("results/ten.xps")["regions"][0]["peaks"].items.size(), 4u);
}

TEST_F(CliTest, VamasFileCountingMoreBlocksThanItHoldsImportsItsBlock) {
    std::string text = readWholeFile(example("c1s.vms"));
    const std::size_t count = text.find("\r\n1\r\nC 1s\r\n");  // the header's block count
    ASSERT_NE(count, std::string::npos);
    text.replace(count, 5, "\r\n2\r\n");
    std::ofstream(file("c1s.vms"), std::ios::binary) << text;
    for (const char* format : {"vamas", "auto"}) {
        const Outcome import = run({"import", format, "c1s.vms", "-o", "c1s.xps"});
        EXPECT_EQ(import.status, 0) << format;
        EXPECT_EQ(import.err, "File saved\n") << format;
        EXPECT_EQ(info("c1s.xps")["regions"][0]["points"].number, 361);
    }
}

TEST_F(CliTest, InfoNamesTheIntensityUnitAndAcquisitionWhereTheFileDid) {
    ok({"import", "kratos", example("c1s.des"), "-o", "u.xps"});
    ok({"import", "ascii", example("c1s.txt"), "--into", "u.xps", "--region", "2", "-o", "u.xps"});
    std::vector<std::string> regionLines;
    for (const std::string& line : lines(ok({"info", "u.xps"}))) {
        if (line.rfind("Region ", 0) == 0) regionLines.push_back(line);
    }
    ASSERT_EQ(regionLines.size(), 2u);
    EXPECT_EQ(regionLines[0].substr(regionLines[0].size() - 7), " counts") << regionLines[0];
    EXPECT_EQ(regionLines[1].find("counts"), std::string::npos) << regionLines[1];
    const Json doc = info("u.xps");
    EXPECT_EQ(doc["regions"][0]["intensityUnit"].text, "counts");
    EXPECT_EQ(doc["regions"][1]["intensityUnit"].kind, Json::Null);
    // What the files say of the acquisition, and the counts that makes: the Kratos export counts, the
    // text file says nothing, the VAMAS block records its dwell time and scans but no unit.
    ok({"import", "vamas", example("c1s.vms"), "--into", "u.xps", "--region", "3", "-o", "u.xps"});
    const Json acquired = info("u.xps");
    const auto region = [&](std::size_t r) { return acquired["regions"][r]; };
    EXPECT_EQ(region(0)["countsPerIntensity"].number, 1.0);
    EXPECT_EQ(region(0)["dwellTime"].kind, Json::Null);
    EXPECT_EQ(region(1)["countsPerIntensity"].kind, Json::Null);
    EXPECT_EQ(region(2)["dwellTime"].number, 0.1);
    EXPECT_EQ(region(2)["scans"].number, 10.0);
    EXPECT_EQ(region(2)["countsPerIntensity"].kind, Json::Null);
    for (std::size_t r = 0; r < 3; ++r) {
        EXPECT_EQ(region(r)["transmission"].kind, Json::Bool) << r;
        EXPECT_FALSE(region(r)["transmission"].flag) << r;
    }
}

TEST_F(CliTest, ProjectWhoseAdditionsAreDamagedOpensWithItsRegionsAndSaysSo) {
    ok({"import", "kratos", example("c1s.des"), "-o", "u.xps"});
    const std::string bytes = readWholeFile(file("u.xps"));
    ASSERT_NE(bytes.rfind("VORTLAN EXT"), std::string::npos);
    vortlan::testing::writeWholeFile(file("cut.xps"), bytes.substr(0, bytes.size() - 2));
    const Outcome r = run({"info", "cut.xps"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("The project's additions"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("could not be read"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("Region 1"), std::string::npos) << r.out;
}

TEST_F(CliTest, KratosFileWithoutItsDataHeadingIsRefusedByTheKratosReader) {
    std::string text = readWholeFile(example("c1s.des"));
    const std::size_t heading = text.find(" (Counts)");
    ASSERT_NE(heading, std::string::npos);
    text.erase(heading, 9);
    std::ofstream(file("c1s.des"), std::ios::binary) << text;
    const Outcome import = run({"import", "auto", "c1s.des", "-o", "c1s.xps"});
    EXPECT_EQ(import.status, 1);
    EXPECT_EQ(import.err, "Error in reading file\n");
    EXPECT_FALSE(exists("c1s.xps"));
}

struct Refusal {
    std::vector<std::string> words;
    int status;
    std::string err;  // what standard error begins with
};

// ---- pictures: a module of their own, loaded with Qt only by the commands that draw ----

bool loadsQt(const Outcome& tracedRun) {
    return tracedRun.err.find("libQt6") != std::string::npos;
}

TEST_F(CliTest, OnlyTheCommandsThatDrawLoadQt) {
    const std::string traced = "LD_DEBUG=libs";
    const std::vector<std::vector<std::string>> plain = {
        {"import", "vamas", example("c1s.vms"), "-o", "c1s.xps"},
        {"background", "c1s.xps", "--region", "1", "--type", "shirley", "-o", "c1s.xps"},
        {"info", "c1s.xps", "--json"},
        {"options", "show"},
        {"--help"},
    };
    for (const auto& words : plain) {
        const Outcome r = runTool(VORTLAN_CLI, words, traced);
        EXPECT_EQ(r.status, 0) << words.front();
        EXPECT_FALSE(loadsQt(r)) << words.front();
    }
    const Outcome render =
        runTool(VORTLAN_CLI, {"render", "c1s.xps", "--region", "1", "-o", "c1s.png"}, traced);
    EXPECT_EQ(render.status, 0);
    EXPECT_TRUE(loadsQt(render));
    EXPECT_EQ(pngSize(readWholeFile(file("c1s.png"))), std::make_pair(800, 500));
}

TEST_F(CliTest, WithoutItsPictureModuleTheToolWorksAndSaysPicturesAreNotAvailable) {
    const std::string tool = copyOfTool("");
    const std::string unavailable = "vortlan-cli: pictures are not available: ";
    fourPeakProject("c1s.xps");
    ok({"params", "save", "c1s.xps", "--region", "1", "-o", "c1s.rpa"});
    EXPECT_EQ(runTool(tool, {"info", "c1s.xps"}).status, 0);

    const Outcome render = runTool(tool, {"render", "c1s.xps", "--region", "1", "-o", "c1s.png"});
    EXPECT_EQ(render.status, 1);
    EXPECT_EQ(render.err.rfind(unavailable, 0), 0u) << render.err;
    EXPECT_NE(render.err.find("vortlan-cli-pictures.so"), std::string::npos) << render.err;
    EXPECT_EQ(lines(render.err).size(), 1u);
    EXPECT_FALSE(exists("c1s.png"));

    // The batch fits and writes everything else, and its status says that something is missing.
    const Outcome batch =
        runTool(tool, {"batch", "--model", "c1s.rpa", "--out", "results", example("c1s.vms")});
    EXPECT_EQ(batch.status, 1);
    EXPECT_EQ(batch.err.rfind(unavailable, 0), 0u) << batch.err;
    const std::string skipped = "; the batch writes no .png files\n";
    ASSERT_GT(batch.err.size(), skipped.size());
    EXPECT_EQ(batch.err.substr(batch.err.size() - skipped.size()), skipped);
    EXPECT_EQ(lines(batch.err).size(), 1u);
    for (const char* extension : {".xps", ".par", ".dat"})
        EXPECT_TRUE(exists(std::string("results/c1s") + extension));
    EXPECT_FALSE(exists("results/c1s.png"));
    const auto summary = lines(readWholeFile(file("results/summary.csv")));
    ASSERT_EQ(summary.size(), 2u);
    EXPECT_LT(std::stod(summary[1].substr(summary[1].find(',') + 1)), 5.0);
}

TEST_F(CliTest, APictureModuleOfAnotherBuildIsNotUsed) {
    const std::string tool = copyOfTool(VORTLAN_STALE_PICTURE_MODULE);
    ok({"import", "vamas", example("c1s.vms"), "-o", "c1s.xps"});
    const Outcome render = runTool(tool, {"render", "c1s.xps", "--region", "1", "-o", "c1s.svg"});
    EXPECT_EQ(render.status, 1);
    EXPECT_EQ(render.err.rfind("vortlan-cli: pictures are not available: ", 0), 0u) << render.err;
    const std::string refused = "vortlan-cli-pictures.so belongs to another build of vortlan-cli\n";
    ASSERT_GT(render.err.size(), refused.size());
    EXPECT_EQ(render.err.substr(render.err.size() - refused.size()), refused);
    EXPECT_FALSE(exists("c1s.svg"));
}

TEST_F(CliTest, RefusalsSayWhyAndEndWithTheirStatus) {
    fourPeakProject("c1s.xps");
    ok({"import", "vamas", example("ti2p.vms"), "-o", "ti.xps"});
    ok({"constrain", "c1s.xps", "--peak", "1", "--param", "position", "--ref", "0", "-o", "tied.xps"});
    ok({"import", "vamas", example("c1s.vms"), "-o", "bare.xps"});
    std::ofstream(file("short.opa")) << "too short";
    const std::vector<std::string> c1s = {"c1s.xps"};
    const auto on = [](std::vector<std::string> words) {
        words.insert(words.end(), {"-o", "out.xps"});
        return words;
    };
    const std::vector<Refusal> refusals = {
        {{"info", example("c1s.vms")}, 1, "Wrong file format\n"},
        {{"info", "missing.xps"}, 1, "Error in reading file\n"},
        {on({"import", "vamas", example("c1s.txt")}), 1, "Not a VAMAS file\n"},
        {on({"import", "ascii", example("c1s.vms")}), 1, "Error Reading File\n"},
        {on({"background", "c1s.xps", "--region", "1", "--high", "300"}), 1,
         "vortlan-cli: the background dialog refused --high 300\n"},
        {on({"background", "c1s.xps", "--region", "2"}), 1, "vortlan-cli: region 2 holds no data\n"},
        {on({"add-peak", "bare.xps", "--region", "1"}), 1,
         "vortlan-cli: region 1 has no accepted background\n"},
        {on({"add-peak", "c1s.xps", "--region", "1", "--fwhm", "0"}), 1, "FWHM must be >0\n"},
        {on({"constrain", "c1s.xps", "--peak", "1", "--param", "gl", "--ref", "1"}), 1,
         "Wrong Reference Peak\n"},
        {on({"constrain", "c1s.xps", "--peak", "1", "--param", "gl", "--ref", "7"}), 1,
         "Wrong Reference Peak\n"},
        {on({"constrain", "tied.xps", "--peak", "0", "--param", "position", "--ref", "1"}), 1,
         "Circular Reference\n"},
        {on({"constrain", "c1s.xps", "--peak", "1", "--param", "area", "--ref", "0", "--op", "/", "--value",
             "0"}),
         1, "*0 or /0 not allowed\n"},
        {on({"constrain", "c1s.xps", "--peak", "1", "--param", "position", "--low", "285", "--high", "280"}),
         1, "Range Invalid\n"},
        {on({"constrain", "c1s.xps", "--peak", "1", "--param", "position", "--low", "280", "--high",
             "296.002"}),
         1, "High BE value out of range\n"},
        {on({"constrain", "c1s.xps", "--peak", "1", "--param", "position", "--low", "277", "--high", "290"}),
         1, "Low BE value out of range\n"},
        {on({"constrain", "c1s.xps", "--peak", "1", "--param", "area", "--low", "-1", "--high", "10"}), 1,
         "Negative range value\n"},
        {on({"constrain", "c1s.xps", "--peak", "1", "--param", "gl", "--low", "0", "--high", "101"}), 1,
         "Out of Range\n"},
        {on({"constrain", "c1s.xps", "--peak", "9", "--param", "gl"}), 1,
         "vortlan-cli: peak 9 is not defined\n"},
        {on({"shift", "c1s.xps", "--region", "1", "--ev", "1e40"}), 1, "Overflow"},
        {{"params", "save", "c1s.xps", "--region", "1", "-o", "c1s.rpa"}, 0, "Parameter File saved\n"},
        {on({"params", "load", "ti.xps", "--region", "1", "c1s.rpa"}), 1, "Incompatible region\n"},
        {on({"fit", "bare.xps", "--region", "1"}), 1, "vortlan-cli: region 1 has no accepted background\n"},
        {on({"export", "report", "bare.xps", "--region", "1"}), 1,
         "vortlan-cli: region 1 has no accepted background\n"},
        {on({"export", "report", "c1s.xps", "--region", "1", "--monte-carlo", "-5"}), 2,
         "vortlan-cli: export report: --monte-carlo must be a whole number from 0 to 100000\n"},
        {on({"fit", "c1s.xps", "--region", "1", "--options", "short.opa"}), 1, "Error in reading file\n"},
        {{"options", "write", "o.opa", "--method", "newton", "--trials", "201"},
         1,
         "No. of trials for Newton's method must be in the range 1-200\n"},
        {{"options", "write", "o.opa", "--method", "lm", "--trials", "20"},
         2,
         "vortlan-cli: options write: Levenberg-Marquardt has no trials to set\n"},
        {{"options", "write", "o.opa", "--tolerance", "101"}, 1, "% Tolerence must be in the range 0-100\n"},
        {on({"render", "bare.xps", "--region", "4"}), 2, "vortlan-cli: render: -o must name"},
        {{"render", "bare.xps", "--region", "4", "-o", "x.png"}, 1, "vortlan-cli: region 4 holds no data\n"},
        {on({"frobnicate"}), 2, "vortlan-cli: unknown command frobnicate\n"},
        {on({"fit", "c1s.xps"}), 2, "vortlan-cli: fit: give one of --region, --all and --peak\n"},
        {on({"fit", "c1s.xps", "--region", "11"}), 2,
         "vortlan-cli: fit: --region must be a whole number from 1 to 10\n"},
        {{"fit", "c1s.xps", "--region", "1"}, 2, "vortlan-cli: fit: -o is required\n"},
        {on({"import", "jpeg", example("c1s.vms")}), 2, "vortlan-cli: import: unknown format jpeg\n"},
        {on({"add-peak", "c1s.xps", "--region", "1", "--area", "1", "--height", "1"}), 2,
         "vortlan-cli: add-peak: give --area or --height, not both\n"},
        {on({"background", "c1s.xps", "--region", "1", "--average", "4"}), 2,
         "vortlan-cli: background: --average must be one of 1, 3, 5, 7, 9\n"},
        {on({"clear", "c1s.xps", "--region", "1", "--colour", "red"}), 2,
         "vortlan-cli: clear: unknown option --colour\n"},
    };
    for (const Refusal& refusal : refusals) {
        std::filesystem::remove(file("out.xps"));
        const Outcome r = run(refusal.words);
        std::string command;
        for (const std::string& w : refusal.words) command += w + " ";
        EXPECT_EQ(r.status, refusal.status) << command;
        EXPECT_EQ(r.err.substr(0, refusal.err.size()), refusal.err) << command;
        if (refusal.status != 0) {
            EXPECT_FALSE(exists("out.xps")) << command;
        }
    }
}

TEST_F(CliTest, ElementSetsALevelOrFactorAndRefusesWhatIsNotOne) {
    ok({"import", "vamas", example("c1s.vms"), "-o", "c1s.xps"});
    ok({"element", "c1s.xps", "--region", "1", "--line", "ti 2P3/2", "-o", "level.xps"});
    ok({"element", "level.xps", "--region", "1", "--factor", "5.5", "-o", "factor.xps"});
    ok({"element", "factor.xps", "--region", "1", "--line", "O 1s", "--computed", "-o", "computed.xps"});
    const auto on = [](std::vector<std::string> words) {
        words.insert(words.begin(), {"element", "c1s.xps", "--region"});
        words.insert(words.end(), {"-o", "out.xps"});
        return words;
    };
    const std::vector<Refusal> refusals = {
        {on({"1", "--line", "Ti 2p5/2"}), 1,
         "vortlan-cli: Ti 2p5/2 is not a level: 2p has the components 2p1/2 and 2p3/2\n"},
        {on({"1", "--line", "Qq 1s"}), 1, "vortlan-cli: \"Qq\" is not an element\n"},
        {on({"1", "--line", "Ti 2p O 1s"}), 1, "vortlan-cli: \"Ti 2p O 1s\" names more than one level\n"},
        {on({"1", "--factor", "0"}), 1, "vortlan-cli: the factor must be a positive number, not \"0\"\n"},
        {on({"1", "--factor", "2x"}), 1, "vortlan-cli: the factor must be a positive number, not \"2x\"\n"},
        {on({"2", "--line", "O 1s"}), 1, "vortlan-cli: region 2 holds no data\n"},
        {on({"1"}), 2, "vortlan-cli: element: give --line, --factor or --computed\n"},
        {on({"1", "--factor", "2", "--computed"}), 2,
         "vortlan-cli: element: --factor and --computed exclude each other\n"},
    };
    for (const Refusal& refusal : refusals) {
        const Outcome r = run(refusal.words);
        EXPECT_EQ(r.status, refusal.status) << refusal.err;
        EXPECT_EQ(r.err.substr(0, refusal.err.size()), refusal.err) << refusal.err;
        EXPECT_FALSE(exists("out.xps")) << refusal.err;
    }
}

// C 1s with two peaks in region 1, Ti 2p with its background alone in region 2 (both levels named by
// their VAMAS blocks, which record Al Kα), and the C 1s pairs without a level or background in region 3.
class QuantifyTest : public CliTest {
  protected:
    void SetUp() override {
        ok({"import", "vamas", example("c1s.vms"), "-o", "q.xps"});
        ok({"import", "vamas", example("ti2p.vms"), "--into", "q.xps", "--region", "2", "-o", "q.xps"});
        ok({"import", "ascii", example("c1s.txt"), "--into", "q.xps", "--region", "3", "-o", "q.xps"});
        for (const char* region : {"1", "2"})
            ok({"background", "q.xps", "--region", region, "--type", "shirley", "-o", "q.xps"});
        for (const char* position : {"284.8", "286.4"}) {
            ok({"add-peak", "q.xps", "--region", "1", "--position", position, "--area", "10000", "--fwhm",
                "1.2", "-o", "q.xps"});
        }
    }
    Json quantified(std::vector<std::string> options) {
        options.insert(options.begin(), {"quantify", "q.xps", "--json"});
        return JsonReader(ok(options)).document();
    }
};

TEST_F(QuantifyTest, TableCsvAndJsonAgreeAndOptionsHoldForTheRunOnly) {
    const Json doc = quantified({});
    ASSERT_EQ(doc["regions"].items.size(), 3u);
    const Json& c1s = doc["regions"][0];
    const Json& ti = doc["regions"][1];
    EXPECT_EQ(c1s["level"].text + "|" + ti["level"].text, "C 1s|Ti 2p");
    EXPECT_EQ(c1s["areaUsed"].text + "|" + ti["areaUsed"].text, "peaks|background");
    EXPECT_NEAR(c1s["atomicPercent"].number + ti["atomicPercent"].number, 100.0, 1e-3);
    ASSERT_EQ(c1s["components"].items.size(), 2u);
    // Two unfitted peaks on one line trade area: their sum stands out of its noise, neither alone does.
    EXPECT_TRUE(c1s["detected"].flag);
    for (std::size_t k = 0; k < 2; ++k) {
        const Json& peak = c1s["components"][k];
        EXPECT_FALSE(peak["detected"].flag) << k;
        EXPECT_EQ(peak["atomicPercent"].kind, Json::Null) << k;
        EXPECT_GT(peak["upperLimitAtomicPercent"].number, c1s["atomicPercent"].number / 2) << k;
        EXPECT_EQ(peak["notes"][0].text.rfind("not detected (< ", 0), 0u) << k;
    }
    EXPECT_EQ(c1s["noise"].text + "|" + ti["noise"].text, "fit_errors|data_scatter");
    EXPECT_EQ(doc["transmission"].text, "none_recorded");
    EXPECT_EQ(doc["regions"][2]["excluded"].text, "No core level given");
    EXPECT_EQ(doc["regions"][2]["atomicPercent"].kind, Json::Null);
    EXPECT_EQ(doc["settings"]["area"].text, "auto");

    const auto csv = lines(ok({"quantify", "q.xps", "--csv"}));
    ASSERT_EQ(csv.size(), 6u);  // heading, C 1s and its two peaks, Ti 2p, the excluded region
    EXPECT_EQ(
        csv[0],
        "Region,Caption,Peak,Label,Level,Area,Area ±,Factor,Corrected area,At.%,At.% ±,Note,Upper limit "
        "area,Upper limit at.%,Noise,Transmission");
    EXPECT_EQ(csvCells(csv[2])[0], "1");  // a peak's row names its region and its own number
    EXPECT_FALSE(csvCells(csv[2])[2].empty());
    EXPECT_EQ(csvCells(csv[2])[9], "");  // not detected: no at.%, but its limit
    EXPECT_FALSE(csvCells(csv[2])[13].empty());
    EXPECT_EQ(csvCells(csv[4])[14], "the scatter of the data");
    EXPECT_EQ(csvCells(csv[5])[11], "No core level given");

    const std::string table = ok({"quantify", "q.xps"});
    for (const std::string part : {"     peak 1 ", "not counted: No core level given\n",
                                   "  background (± from the scatter of the data)\n", "   not detected\n",
                                   "Source energy 1486.6 eV where the file records none\n"})
        EXPECT_NE(table.find(part), std::string::npos) << part << "\n" << table;

    // The factors are relative to C 1s, whatever m; the recorded Al Kα outweighs the setting, which
    // still serves a region whose file records no source.
    ok({"element", "q.xps", "--region", "3", "--line", "O 1s", "-o", "q.xps"});
    const std::string before = readWholeFile(file("q.xps"));
    const Json changed = quantified({"--imfp-exponent", "0", "--source-energy", "1253.6", "--area", "peaks"});
    EXPECT_EQ(changed["settings"]["imfpExponent"].number, 0.0);
    EXPECT_EQ(changed["regions"][0]["factor"].number, 1.0);
    EXPECT_EQ(changed["regions"][0]["sourceEnergy"].number, doc["regions"][0]["sourceEnergy"].number);
    EXPECT_NEAR(changed["regions"][2]["sourceEnergy"].number, 1253.6, 1e-3);
    EXPECT_EQ(changed["regions"][2]["excluded"].text, "Background not accepted");
    EXPECT_EQ(changed["regions"][1]["excluded"].text, "No peaks to quantify");
    EXPECT_NEAR(changed["regions"][0]["atomicPercent"].number, 100.0, 1e-3);
    const double tiFactor = quantified({"--imfp-exponent", "0"})["regions"][1]["factor"].number;
    EXPECT_GT(tiFactor, 1.0);
    EXPECT_NE(tiFactor, ti["factor"].number);
    EXPECT_EQ(readWholeFile(file("q.xps")), before);
}

TEST_F(QuantifyTest, RefusesBadSettingsAndSaysWhenNothingIsCounted) {
    const auto quantify = [](std::vector<std::string> words) {
        words.insert(words.begin(), {"quantify", "q.xps"});
        return words;
    };
    const std::string usage = "vortlan-cli: quantify: ";
    const std::vector<Refusal> refusals = {
        {quantify({"--json", "--csv"}), 2, usage + "--json and --csv exclude each other\n"},
        {quantify({"--source-energy", "0"}), 2,
         usage + "--source-energy must be a positive number, not \"0\"\n"},
        {quantify({"--source-energy", "-1486.6"}), 2, usage + "--source-energy must be a positive number"},
        {quantify({"--source-energy", "inf"}), 2, usage + "--source-energy must be a positive number"},
        {quantify({"--imfp-exponent", "0.6x"}), 2,
         usage + "--imfp-exponent must be a number, not \"0.6x\"\n"},
        {quantify({"--transmission-exponent", "nan"}), 2, usage + "--transmission-exponent must be a number"},
        {quantify({"--area", "both"}), 2, usage + "--area must be one of auto, peaks, background\n"},
        {{"quantify", "missing.xps", "--source-energy", "0"}, 2, usage + "--source-energy"},
        {{"quantify", "missing.xps"}, 1, "Error in reading file\n"},
        {quantify({"--transmission-exponent", "-0.5", "--imfp-exponent", "-1"}), 0, ""},
        // Ti 2p leaves with 0.85 of C 1s's kinetic energy: raised to 1000 it is no number a table holds.
        {quantify({"--imfp-exponent", "1000"}), 2,
         usage + "--imfp-exponent 1000: m = 1000 and n = 0 make the factor of region 2 (Ti 2p) 0: "},
        {quantify({"--imfp-exponent", "0", "--transmission-exponent", "1000"}), 2,
         usage + "--imfp-exponent 0 --transmission-exponent 1000: m = 0 and n = 1000 make the factor of "
                 "region 2 (Ti 2p) infinite: "},
    };
    for (const Refusal& refusal : refusals) {
        const Outcome r = run(refusal.words);
        EXPECT_EQ(r.status, refusal.status) << refusal.err;
        EXPECT_EQ(r.err.substr(0, refusal.err.size()), refusal.err) << r.err;
    }

    ok({"import", "ascii", example("c1s.txt"), "-o", "bare.xps"});
    const Outcome nothing = run({"quantify", "bare.xps"});
    EXPECT_EQ(nothing.status, 0);
    EXPECT_EQ(nothing.err, "vortlan-cli: no region could be quantified\n");
    EXPECT_NE(nothing.out.find("not counted: No core level given"), std::string::npos) << nothing.out;
}

TEST_F(CliTest, BatchGivesAtomicPercentsOnlyWhereTheRegionHasALevel) {
    fourPeakProject("model.xps");
    ok({"params", "save", "model.xps", "--region", "1", "-o", "c1s.rpa"});
    const auto summary = [&](std::vector<std::string> extra) {
        std::vector<std::string> words = {"batch", "--model", "c1s.rpa", "--out", "out", example("c1s.txt")};
        words.insert(words.end(), extra.begin(), extra.end());
        EXPECT_EQ(run(words).status, 0);
        return lines(readWholeFile(file("out/summary.csv")));
    };
    const auto plain = summary({});
    EXPECT_EQ(plain[0].substr(plain[0].size() - 29), ",peak4_gl_err,converged,flags");
    EXPECT_EQ(csvCells(plain[1]).size(), 40u);

    const auto named = summary({"--line", "c1S"});
    const std::vector<std::string> cells = csvCells(named[1]);
    ASSERT_EQ(cells.size(), 52u);
    const std::string limits =
        ",converged,flags,peak1_atomic_percent_limit,peak2_atomic_percent_limit,"
        "peak3_atomic_percent_limit,peak4_atomic_percent_limit";
    EXPECT_EQ(named[0].substr(named[0].size() - limits.size()), limits);
    const std::vector<std::string> plainCells = csvCells(plain[1]);
    EXPECT_EQ(std::vector<std::string>(cells.begin(), cells.begin() + 38),
              std::vector<std::string>(plainCells.begin(), plainCells.begin() + 38));  // the earlier columns
    EXPECT_EQ(cells[46], plainCells[plainCells.size() - 2]);                           // and the verdict
    double percents = 0;
    for (std::size_t p = 0; p < 4; ++p) percents += std::stod(cells[38 + 2 * p]);
    EXPECT_NEAR(percents, 100.0, 1e-3);

    const Outcome refused =
        run({"batch", "--model", "c1s.rpa", "--out", "refused", "--line", "C 1q", example("c1s.txt")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_FALSE(fs::exists(file("refused")));
}

TEST_F(CliTest, EveryCommandHasItsHelp) {
    const Outcome overview = run({"--help"});
    ASSERT_EQ(overview.status, 0);
    int commands = 0;
    for (const std::string& line : lines(overview.out)) {
        if (line.rfind("  ", 0) != 0) continue;
        const std::size_t end = line.find("  ", 2);
        const std::string name = line.substr(2, end - 2);
        std::vector<std::string> words;
        std::istringstream in(name);
        for (std::string w; in >> w;) words.push_back(w);
        words.push_back("--help");
        const Outcome help = run(words);
        EXPECT_EQ(help.status, 0) << name;
        EXPECT_EQ(help.out.rfind("Usage: vortlan-cli " + name + " ", 0), 0u) << name;
        ++commands;
    }
    EXPECT_EQ(commands, 25);
}

}  // namespace
