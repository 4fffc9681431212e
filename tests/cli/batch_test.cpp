// `vortlan-cli batch` at scale, run as a user runs it: several threads, a choice of outputs, shards,
// and runs interrupted by Ctrl+C or killed and then resumed.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

namespace {

using vortlan::testing::readWholeFile;
using vortlan::testing::TempDir;
namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string err;
};

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

std::string firstCell(const std::string& line) {
    return line.substr(0, line.find(','));
}

class BatchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // A model of the C 1s example: four peaks fitted, saved as region parameters.
        const std::string c1s = std::string(VORTLAN_SOURCE_DIR) + "/examples/c1s.vms";
        ok({"import", "vamas", c1s, "-o", "m.xps"});
        ok({"background", "m.xps", "--region", "1", "--type", "shirley", "-o", "m.xps"});
        for (const char* position : {"284.7", "286.4", "287.7", "289.1"})
            ok({"add-peak", "m.xps", "--region", "1", "--position", position, "--area", "5000", "--fwhm",
                "1.2", "-o", "m.xps"});
        ok({"fit", "m.xps", "--region", "1", "-o", "m.xps"});
        ok({"params", "save", "m.xps", "--region", "1", "-o", "c1s.rpa"});
    }

    // `count` spectra: the C 1s example as text pairs, every third one with its counts scaled so that
    // the fits differ, and, when asked, a Ti 2p file the model does not fit in the middle.
    std::vector<std::string> spectra(int count, bool withMisfit = false) {
        const std::string pairs = readWholeFile(std::string(VORTLAN_SOURCE_DIR) + "/examples/c1s.txt");
        std::vector<std::string> names;
        for (int k = 1; k <= count; ++k) {
            const std::string name = "s" + std::to_string(k) + ".txt";
            std::istringstream in(pairs);
            std::ofstream out(file(name));
            std::string heading;
            std::getline(in, heading);
            out << heading << '\n';
            for (double be, counts; in >> be >> counts;) out << be << '\t' << counts * (1 + k % 3) << '\n';
            names.push_back(name);
            if (withMisfit && k == count / 2)
                names.push_back(std::string(VORTLAN_SOURCE_DIR) + "/examples/ti2p.vms");
        }
        return names;
    }

    std::vector<std::string> batch(const std::string& out, const std::vector<std::string>& options,
                                   const std::vector<std::string>& files) {
        std::vector<std::string> words = {"batch", "--model", "c1s.rpa", "--out", out};
        words.insert(words.end(), options.begin(), options.end());
        words.insert(words.end(), files.begin(), files.end());
        return words;
    }

    // Runs the tool in the test's folder, standard error to a file and not a terminal.
    pid_t start(const std::vector<std::string>& words) {
        const pid_t pid = fork();
        if (pid != 0) return pid;
        if (chdir(dir.path().c_str()) != 0) _exit(127);
        const int err = open("stderr", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int nothing = open("/dev/null", O_RDWR);
        dup2(nothing, 0);
        dup2(nothing, 1);
        dup2(err, 2);
        std::vector<char*> argv = {const_cast<char*>(VORTLAN_CLI)};
        for (const std::string& w : words) argv.push_back(const_cast<char*>(w.c_str()));
        argv.push_back(nullptr);
        execv(VORTLAN_CLI, argv.data());
        _exit(127);
    }

    Outcome finish(pid_t pid) {
        int status = 0;
        waitpid(pid, &status, 0);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readWholeFile(file("stderr"))};
    }

    Outcome run(const std::vector<std::string>& words) { return finish(start(words)); }

    void ok(const std::vector<std::string>& words) {
        const Outcome r = run(words);
        ASSERT_EQ(r.status, 0) << words.front() << ": " << r.err;
    }

    // Waits until the journal of the batch writing into `out` holds `count` spectra.
    void awaitJournal(const std::string& out, std::size_t count) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (lines(readWholeFile(file(out + "/.batch-journal"))).size() < count + 1 &&
               std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }

    // Every file of the folder but the journal, by name.
    std::map<std::string, std::string> filesOf(const std::string& folder) {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(file(folder))) {
            const std::string name = entry.path().filename().string();
            if (name != ".batch-journal") files[name] = readWholeFile(entry.path().string());
        }
        return files;
    }

    std::set<std::string> namesIn(const std::string& folder) {
        std::set<std::string> names;
        for (const auto& [name, bytes] : filesOf(folder)) names.insert(name);
        return names;
    }

    std::string file(const std::string& name) const { return dir.file(name); }

    TempDir dir;
};

TEST_F(BatchTest, EveryFileAndMessageIsTheSameForOneAndThreeJobs) {
    const std::vector<std::string> files = spectra(9, true);
    const std::vector<std::string> options = {"--outputs", "xps,par,dat,png,report", "--summary-json"};
    const Outcome one = run(batch(
        "one",
        [&] {
            auto o = options;
            o.insert(o.end(), {"--jobs", "1"});
            return o;
        }(),
        files));
    const Outcome three = run(batch(
        "three",
        [&] {
            auto o = options;
            o.insert(o.end(), {"--jobs", "3"});
            return o;
        }(),
        files));
    EXPECT_EQ(one.status, 1);
    EXPECT_EQ(three.status, 1);
    EXPECT_EQ(one.err,
              "Incompatible region\nvortlan-cli: " + files[4] + ": skipped\n");  // and no progress line
    EXPECT_EQ(three.err, one.err);
    const auto written = filesOf("one");
    EXPECT_EQ(written.size(), 9u * 5 + 2);
    EXPECT_TRUE(written == filesOf("three"));

    const std::vector<std::string> rows = lines(written.at("summary.csv"));
    ASSERT_EQ(rows.size(), 10u);
    for (int k = 1; k <= 9; ++k) EXPECT_EQ(firstCell(rows[k]), "s" + std::to_string(k) + ".txt");
    EXPECT_NE(rows[1], rows[2]);
    const std::vector<std::string> json = lines(written.at("summary.jsonl"));
    ASSERT_EQ(json.size(), 9u);
    EXPECT_EQ(json[0].rfind("{\"file\":\"s1.txt\",\"block\":null,\"block_label\":null,\"chi_square\":", 0),
              0u)
        << json[0];
    EXPECT_NE(json[0].find("\"converged\":true,\"flags\":[],\"peaks\":[{\"position\":"), std::string::npos)
        << json[0];
    EXPECT_NE(json[0].find("\"gl_err\":null,\"atomic_percent\":null"), std::string::npos) << json[0];
    EXPECT_NE(written.at("s1.report.csv").find("position"), std::string::npos);
}

TEST_F(BatchTest, OutputsAndNoPicturesChooseTheFilesOfEachSpectrum) {
    const std::vector<std::string> files = spectra(2);
    ok(batch("none", {"--outputs", "none"}, files));
    EXPECT_EQ(namesIn("none"), (std::set<std::string>{"summary.csv"}));
    EXPECT_EQ(lines(readWholeFile(file("none/summary.csv"))).size(), 3u);

    ok(batch("plain", {"--no-pictures"}, files));
    EXPECT_EQ(namesIn("plain"), (std::set<std::string>{"s1.xps", "s1.par", "s1.dat", "s2.xps", "s2.par",
                                                       "s2.dat", "summary.csv"}));
    ok(batch("some", {"--outputs", "report,par", "--jobs", "2"}, files));
    EXPECT_EQ(namesIn("some"),
              (std::set<std::string>{"s1.par", "s1.report.csv", "s2.par", "s2.report.csv", "summary.csv"}));
    EXPECT_EQ(readWholeFile(file("none/summary.csv")), readWholeFile(file("some/summary.csv")));
}

TEST_F(BatchTest, ChosenBlocksAreSpectraOfTheirOwnWithTheirColumnsAndNames) {
    const std::string vamas = std::string(VORTLAN_SOURCE_DIR) + "/examples/c1s.vms";
    const std::vector<std::string> files = {vamas, spectra(1)[0]};
    const Outcome r = run(batch("out", {"--blocks", "1,2", "--summary-json"}, files));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("vortlan-cli: " + vamas + ": block 2"), std::string::npos) << r.err;
    const std::vector<std::string> summary = lines(readWholeFile(file("out/summary.csv")));
    ASSERT_EQ(summary.size(), 3u);
    EXPECT_EQ(summary[0].rfind("file,block,block_label,chi_square,", 0), 0u);
    EXPECT_EQ(summary[1].rfind(vamas + ",1,C 1s,", 0), 0u) << summary[1];
    EXPECT_EQ(summary[2].rfind("s1.txt,,,", 0), 0u) << summary[2];
    EXPECT_TRUE(fs::exists(file("out/c1s.b1-C_1s.xps")));
    EXPECT_NE(readWholeFile(file("out/summary.jsonl")).find("\"block\":1,\"block_label\":\"C 1s\""),
              std::string::npos);
}

TEST_F(BatchTest, BadArgumentsAreUsageErrorsAndTouchNothing) {
    const std::vector<std::string> files = spectra(1);
    for (const std::vector<std::string>& options :
         std::vector<std::vector<std::string>>{{"--jobs", "0"},
                                               {"--jobs", "two"},
                                               {"--shard", "4/3"},
                                               {"--shard", "0/3"},
                                               {"--shard", "1"},
                                               {"--blocks", "0"},
                                               {"--blocks", "3-1"},
                                               {"--outputs", "xps,pdf"},
                                               {"--outputs", "xps,xps"},
                                               {"--outputs", ""},
                                               {"--outputs", "png", "--no-pictures"}}) {
        const Outcome r = run(batch("out", options, files));
        EXPECT_EQ(r.status, 2) << options[0] << " " << options[1];
        EXPECT_FALSE(fs::exists(file("out"))) << options[0] << " " << options[1];
    }
}

TEST_F(BatchTest, ShardsFitTheirSlicesAndTogetherGiveTheWholeSummary) {
    const std::vector<std::string> files = spectra(7);
    ok(batch("whole", {"--outputs", "none"}, files));
    const std::vector<std::string> whole = lines(readWholeFile(file("whole/summary.csv")));
    std::set<std::string> rows;
    for (const char* shard : {"1/3", "2/3", "3/3"}) {
        const std::string out = std::string("shard") + shard[0];
        ok(batch(out, {"--outputs", "none", "--shard", shard}, files));
        const std::vector<std::string> part = lines(readWholeFile(file(out + "/summary.csv")));
        EXPECT_EQ(part[0], "item," + whole[0]);
        ASSERT_EQ(part.size(), shard[0] == '1' ? 4u : 3u);
        for (std::size_t k = 1; k < part.size(); ++k) {
            const std::size_t item = std::stoul(firstCell(part[k]));
            EXPECT_EQ((item - 1) % 3, static_cast<std::size_t>(shard[0] - '1')) << part[k];
            EXPECT_EQ(part[k], std::to_string(item) + "," + whole.at(item)) << shard;
            rows.insert(part[k]);
        }
    }
    EXPECT_EQ(rows.size(), 7u);
}

TEST_F(BatchTest, CtrlCFinishesTheSpectraInFlightAndSummarisesThoseDone) {
    const std::vector<std::string> files = spectra(40);
    const pid_t pid = start(batch("out", {"--jobs", "2"}, files));
    awaitJournal("out", 3);
    kill(pid, SIGINT);
    const Outcome r = finish(pid);
    EXPECT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> summary = lines(readWholeFile(file("out/summary.csv")));
    ASSERT_LT(summary.size(), 41u) << "the run ended before it was interrupted";
    const std::size_t done = summary.size() - 1;
    EXPECT_EQ(r.err, "vortlan-cli: batch stopped after " + std::to_string(done) + " of 40 spectra\n");
    for (std::size_t k = 1; k <= done; ++k) {
        EXPECT_EQ(firstCell(summary[k]), files[k - 1]);
        EXPECT_TRUE(fs::exists(file("out/s" + std::to_string(k) + ".png")));
    }
    EXPECT_FALSE(fs::exists(file("out/s" + std::to_string(done + 1) + ".xps")));
}

TEST_F(BatchTest, ResumeAfterAKilledRunFitsEachSpectrumOnceAndLosesNone) {
    const std::vector<std::string> files = spectra(30);
    ok(batch("whole", {"--jobs", "2"}, files));

    const pid_t pid = start(batch("out", {"--jobs", "2"}, files));
    awaitJournal("out", 4);
    kill(pid, SIGKILL);
    finish(pid);
    const std::vector<std::string> before = lines(readWholeFile(file("out/.batch-journal")));
    ASSERT_LT(before.size(), 31u) << "the run ended before it was killed";
    EXPECT_FALSE(fs::exists(file("out/summary.csv")));

    const Outcome resumed = run(batch("out", {"--jobs", "2", "--resume"}, files));
    EXPECT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_EQ(resumed.err, "");
    // Each spectrum fitted once: the lines of those done before are kept as they were (a spectrum
    // fitted again gets a line with a new time), and every spectrum has one.
    std::set<std::string> after;
    std::set<std::string> names;
    for (const std::string& line : lines(readWholeFile(file("out/.batch-journal")))) {
        after.insert(line);
        names.insert(line.substr(0, line.find('\t')));
    }
    for (const std::string& line : before) EXPECT_EQ(after.count(line), 1u) << line;
    EXPECT_EQ(names.size(), 31u);  // and the first line
    // Nothing half written was left behind: the same files as an uninterrupted run, byte for byte.
    EXPECT_TRUE(filesOf("out") == filesOf("whole"));

    // A data file changed since is fitted again, and only that one.
    { std::ofstream(file("s7.txt"), std::ios::app) << "\n"; }
    ok(batch("out", {"--resume"}, files));
    const std::vector<std::string> journal = lines(readWholeFile(file("out/.batch-journal")));
    EXPECT_EQ(journal.size(), 31u);
    EXPECT_EQ(journal.back().substr(0, 3), "s7\t");
}

}  // namespace
