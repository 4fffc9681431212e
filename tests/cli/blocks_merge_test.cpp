// vortlan-cli's block choice outside a batch (`import --block`, `blocks`) and `merge` of the summaries
// of a sharded batch, run as a user runs them.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/vamas_writer.h"

namespace {

using vortlan::testing::readWholeFile;
using vortlan::testing::TempDir;
using vortlan::testing::VamasTestBlock;
using vortlan::testing::VamasTestFile;
using vortlan::testing::vamasText;
using vortlan::testing::writeWholeFile;
namespace fs = std::filesystem;

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

class ToolTest : public ::testing::Test {
  protected:
    Outcome run(const std::vector<std::string>& words) {
        std::string command = "cd " + quoted(dir.path().string()) + " && " + quoted(VORTLAN_CLI);
        for (const std::string& w : words) command += " " + quoted(w);
        command += " >" + quoted(file("stdout")) + " 2>" + quoted(file("stderr")) + " </dev/null";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readWholeFile(file("stdout")),
                readWholeFile(file("stderr"))};
    }
    std::string file(const std::string& name) const { return dir.file(name); }
    void write(const std::string& name, const std::string& text) {
        fs::create_directories(fs::path(file(name)).parent_path());
        writeWholeFile(file(name), text);
    }

    TempDir dir;
};

VamasTestBlock level(std::string technique, std::string species, std::string transition, int points) {
    VamasTestBlock b = vortlan::testing::rampBlock(points, std::move(technique));
    b.species = std::move(species);
    b.transition = std::move(transition);
    return b;
}

// A survey of another technique before the C 1s and O 1s blocks, as instruments write them.
VamasTestFile threeBlocks() {
    return VamasTestFile(
        {level("AES diff", "Survey", "", 11), level("XPS", "C", "1s", 21), level("XPS", "O", "1s", 7)});
}

TEST_F(ToolTest, ImportTakesTheChosenBlockOfAnyTechnique) {
    write("three.vms", vamasText(threeBlocks()));
    ASSERT_EQ(run({"import", "vamas", "three.vms", "--block", "3", "-o", "o1s.xps"}).status, 0);
    EXPECT_NE(run({"info", "o1s.xps"}).out.find("Region 1 \"1s\": 7 points"), std::string::npos);
    ASSERT_EQ(run({"import", "vamas", "three.vms", "--block", "1", "--region", "2", "--into", "o1s.xps", "-o",
                   "both.xps"})
                  .status,
              0);
    const std::string both = run({"info", "both.xps"}).out;
    EXPECT_NE(both.find("Region 2 \"\": 11 points"), std::string::npos) << both;
    // Without --block the first XPS block, as always.
    ASSERT_EQ(run({"import", "vamas", "three.vms", "-o", "first.xps"}).status, 0);
    EXPECT_NE(run({"info", "first.xps"}).out.find("21 points"), std::string::npos);

    const Outcome missing = run({"import", "vamas", "three.vms", "--block", "4", "-o", "none.xps"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "vortlan-cli: three.vms: block 4: the file has 3 blocks\n");
    EXPECT_FALSE(fs::exists(file("none.xps")));
    for (const std::vector<std::string>& usage :
         {std::vector<std::string>{"import", "ascii", "three.vms", "--block", "1", "-o", "x.xps"},
          {"import", "vamas", "three.vms", "--block", "0", "-o", "x.xps"},
          {"import", "vamas", "three.vms", "--block", "1-2", "-o", "x.xps"}}) {
        EXPECT_EQ(run(usage).status, 2) << usage[1] << " " << usage[4];
    }
}

TEST_F(ToolTest, BlocksListsWhatTheChooserShowsAsATableOrJson) {
    write("three.vms", vamasText(threeBlocks()));
    const Outcome table = run({"blocks", "three.vms"});
    EXPECT_EQ(table.status, 0);
    EXPECT_EQ(table.out,
              "Block  Species  Transition  Technique  Points  Energy (eV)\n"
              "    1  Survey               AES diff       11  300.00 to 299.00\n"
              "    2  C        1s          XPS            21  300.00 to 298.00\n"
              "    3  O        1s          XPS             7  300.00 to 299.40\n");
    const std::string json = run({"blocks", "three.vms", "--json"}).out;
    EXPECT_EQ(json.front(), '[');
    EXPECT_NE(json.find("    \"block\": 1,\n    \"species\": \"Survey\",\n    \"transition\": \"\",\n"),
              std::string::npos);
    EXPECT_NE(json.find("  {\n"
                        "    \"block\": 3,\n"
                        "    \"species\": \"O\",\n"
                        "    \"transition\": \"1s\",\n"
                        "    \"technique\": \"XPS\",\n"
                        "    \"points\": 7,\n"
                        "    \"energy_high\": 300,\n"
                        "    \"energy_low\": 299.4,\n"
                        "    \"left_out\": null\n"
                        "  }\n"
                        "]\n"),
              std::string::npos)
        << json;
}

// A block whose points all lie at one energy keeps its row and number, and is said to be left out; its
// import is refused with the reason.
TEST_F(ToolTest, BlocksSaysWhichBlocksAreNoSpectrumAndImportRefusesThem) {
    VamasTestBlock flat = level("XPS", "O", "1s", 9);
    flat.increment = 0.0;
    write("flat.vms", vamasText(VamasTestFile({level("XPS", "C", "1s", 21), flat})));
    const Outcome table = run({"blocks", "flat.vms"});
    EXPECT_EQ(table.status, 0);
    EXPECT_NE(table.out.find("    2  O        1s          XPS             9  300.00 to 300.00\n"),
              std::string::npos)
        << table.out;
    EXPECT_EQ(table.err,
              "vortlan-cli: flat.vms: block 2 left out: its energy step is 0 (every point at 300.00 eV)\n");
    const std::string json = run({"blocks", "flat.vms", "--json"}).out;
    EXPECT_NE(json.find("\"left_out\": \"its energy step is 0 (every point at 300.00 eV)\"\n"),
              std::string::npos)
        << json;

    const Outcome refused = run({"import", "vamas", "flat.vms", "--block", "2", "-o", "o.xps"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("No spectrum in this block: its energy step is 0"), std::string::npos)
        << refused.err;
    EXPECT_FALSE(fs::exists(file("o.xps")));
}

TEST_F(ToolTest, BlocksOfADamagedFileAreListedAsFarAsTheyCanBeRead) {
    const std::string text = vamasText(threeBlocks());
    write("cut.vms", text.substr(0, text.rfind("Block\n") + 40));
    const Outcome cut = run({"blocks", "cut.vms"});
    EXPECT_EQ(cut.status, 0);
    EXPECT_EQ(cut.out.find("    3"), std::string::npos);
    EXPECT_NE(cut.out.find("    2  C"), std::string::npos);
    EXPECT_EQ(cut.err, "vortlan-cli: cut.vms: block 3 cannot be read; the file announces 3 blocks\n");

    write("nothing.vms", text.substr(0, text.find("Block\n") + 40));
    write("plain.txt", "300 1\n");
    for (const char* refused : {"nothing.vms", "plain.txt", "missing.vms"}) {
        const Outcome r = run({"blocks", refused});
        EXPECT_EQ(r.status, 1) << refused;
        EXPECT_EQ(r.out, "") << refused;
        EXPECT_NE(r.err.find(refused), std::string::npos) << r.err;
    }
}

// The summary of a batch of five spectra, the third with a level (at.% columns), and the rows with
// the item column of a sharded run.
const std::vector<std::string> kColumns = {
    "file,block,block_label,chi_square,peak1_position,peak1_area,peak1_atomic_percent,converged",
    "a.vms,1,C 1s,1.5,284.8,100,,yes",
    "a.vms,2,O 1s,2.5,531,200,,no",
    "\"b,1.vms\",1,C 1s,1.25,284.7,\"1,5\",100,yes",
    "c.vms,2,Ti 2p,3,458,40,,yes",
    "d.vms,7,C 1s,1,285,9,,yes"};

std::string unsharded() {
    std::string text;
    for (const std::string& line : kColumns) text += line + "\n";
    return text;
}

// The rows of items (from 1) of one shard, under a header without the at.% column unless one of them
// has it.
std::string shard(const std::vector<int>& items) {
    const bool level = std::find(items.begin(), items.end(), 3) != items.end();
    const auto without = [&](const std::string& line) {
        if (level) return line;
        const std::size_t last = line.rfind(',');
        const std::size_t before = line.rfind(',', last - 1);
        return line.substr(0, before) + line.substr(last);
    };
    std::string text = "item," + without(kColumns[0]) + "\n";
    for (int item : items) text += std::to_string(item) + "," + without(kColumns[item]) + "\n";
    return text;
}

TEST_F(ToolTest, MergeJoinsShardsIntoTheUnshardedSummary) {
    write("s1/summary.csv", shard({1, 4}));
    write("s2/summary.csv", shard({2, 5}));
    write("s3/summary.csv", shard({3}));
    write("s4/summary.csv", shard({}));
    const Outcome merged = run({"merge", "s2", "s4", "s3", "s1", "-o", "summary.csv"});
    EXPECT_EQ(merged.status, 0) << merged.err;
    EXPECT_EQ(readWholeFile(file("summary.csv")), unsharded());
    EXPECT_FALSE(fs::exists(file("summary.jsonl")));

    // JSON lines join too when every shard has them, each without its item.
    write("s1/summary.jsonl", "{\"item\":1,\"file\":\"a.vms\"}\n{\"item\": 4, \"file\": \"b,1.vms\"}\n");
    write("s2/summary.jsonl", "{\"file\":\"a.vms\",\"peaks\":[{\"item\":9}],\"item\":2}\n{\"item\":5}\n");
    write("s3/summary.jsonl", "{\"file\":\"a\\\"}\", \"item\":3, \"chi\":1}\n");
    write("s4/summary.jsonl", "");
    ASSERT_EQ(run({"merge", "s1", "s2", "s3", "s4", "-o", "all.csv"}).status, 0);
    EXPECT_EQ(readWholeFile(file("all.csv")), unsharded());
    EXPECT_EQ(readWholeFile(file("all.jsonl")),
              "{\"file\":\"a.vms\"}\n"
              "{\"file\":\"a.vms\",\"peaks\":[{\"item\":9}]}\n"
              "{\"file\":\"a\\\"}\", \"chi\":1}\n"
              "{\"file\": \"b,1.vms\"}\n"
              "{}\n");
}

TEST_F(ToolTest, MergeRefusesWhatIsNotOneShardedBatch) {
    write("s1/summary.csv", shard({1, 4}));
    write("s2/summary.csv", shard({2, 5}));
    write("old/summary.csv", unsharded());
    write("twice/summary.csv", shard({3, 4}));
    write("other/summary.csv", "item,file,chi_square,peak1_position,converged\n3,x.vms,1,2,yes\n");
    write("short/summary.csv", "item,file,chi_square\n3,x.vms\n");
    write("bad/summary.csv", "item,file,chi_square\nthree,x.vms,1\n");
    fs::create_directories(file("empty"));
    const std::vector<std::pair<std::vector<std::string>, std::string>> refusals = {
        {{"s1", "empty"}, "empty has no summary.csv"},
        {{"s1", "old"}, "old/summary.csv has no item column (a summary of batch --shard has one)"},
        {{"s1", "other"}, "the summaries do not come from one batch"},
        {{"s1", "s2", "twice"},
         "item 4 is in more than one row (s1/summary.csv: line 3, twice/summary.csv: line 3)"},
        {{"short"}, "short/summary.csv: line 2: 2 cells under 3 columns"},
        {{"bad"}, "bad/summary.csv: line 2: the item is not a number from 1"},
    };
    write("out.csv", "before\n");
    for (const auto& [dirs, reason] : refusals) {
        std::vector<std::string> words{"merge"};
        words.insert(words.end(), dirs.begin(), dirs.end());
        words.insert(words.end(), {"-o", "out.csv"});
        const Outcome r = run(words);
        EXPECT_EQ(r.status, 1) << reason;
        EXPECT_EQ(r.err, "vortlan-cli: " + reason + "\n");
    }
    EXPECT_EQ(readWholeFile(file("out.csv")), "before\n");
    EXPECT_EQ(run({"merge", "s1"}).status, 2);
}

}  // namespace
