// The spectra of a batch: files and their VAMAS blocks, the blocks read one by one, and the slices
// that shards take.

#include "cli/batch_items.h"

#include <gtest/gtest.h>

#include <numeric>
#include <thread>

#include "session/import_vamas.h"
#include "support/same_workspace.h"
#include "support/temp_dir.h"
#include "support/vamas_writer.h"

namespace vortlan::cli {
namespace {

using testing::fileWith;
using testing::rampBlock;
using testing::TempDir;
using testing::VamasTestBlock;
using testing::VamasTestFile;
using testing::vamasText;
using Kind = BlockChoice::Kind;

BlockChoice choice(std::string_view text) {
    const auto parsed = parseBlockChoice(text);
    EXPECT_TRUE(parsed) << text;
    return parsed.value_or(BlockChoice{});
}

std::vector<BatchItem> batchItems(const std::vector<std::string>& files, const BlockChoice& choice,
                                  std::vector<std::string>& problems) {
    const BatchItems listed(files, choice, problems);
    std::vector<BatchItem> items;
    for (std::size_t k = 0; k < listed.size(); ++k) items.push_back(listed[k]);
    return items;
}

TEST(BlockChoice, WordsAndListsInBlockOrder) {
    EXPECT_EQ(choice("first").kind, Kind::First);
    EXPECT_EQ(choice("all").kind, Kind::All);
    EXPECT_EQ(choice("xps").kind, Kind::Xps);
    EXPECT_EQ(choice("1,3,5-9").numbers, (std::vector<int>{1, 3, 5, 6, 7, 8, 9}));
    // Listed twice or out of order, a block is still fitted once, in the order of the file.
    EXPECT_EQ(choice("4,1-2,2").numbers, (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(choice("7-7").numbers, std::vector<int>{7});
    for (const char* bad : {"0", "3-1", "x", "", "1,", ",1", "1--2", "-1", "1-", "All", " 1", "1.0", "+2",
                            "32768", "1-40000"}) {
        EXPECT_FALSE(parseBlockChoice(bad)) << bad;
    }
}

TEST(Shards, SlicesCoverEveryItemOnceAndAreBalanced) {
    for (std::size_t count : {0u, 1u, 7u, 12u, 1001u}) {
        for (int shards = 1; shards <= 5; ++shards) {
            std::vector<int> seen(count, 0);
            std::size_t smallest = count, largest = 0;
            for (int shard = 1; shard <= shards; ++shard) {
                const std::vector<std::size_t> slice = shardSlice(count, shard, shards);
                EXPECT_TRUE(std::is_sorted(slice.begin(), slice.end()));
                for (std::size_t k : slice) ++seen.at(k);
                smallest = std::min(smallest, slice.size());
                largest = std::max(largest, slice.size());
            }
            EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](int n) { return n == 1; }));
            EXPECT_LE(largest - std::min(smallest, largest), 1u) << count << " in " << shards;
        }
    }
    EXPECT_EQ(shardSlice(7, 2, 3), (std::vector<std::size_t>{1, 4}));
}

TEST(Shards, OnlyIOfNWithIFromOneToN) {
    EXPECT_EQ(parseShard("2/3"), std::pair(2, 3));
    EXPECT_EQ(parseShard("1/1"), std::pair(1, 1));
    for (const char* bad : {"4/3", "0/3", "3", "a/b", "2/", "/3", "-1/3", "1/0", "1/3/3", " 1/3"})
        EXPECT_FALSE(parseShard(bad)) << bad;
}

VamasTestBlock level(std::string technique, std::string species, std::string transition, int points) {
    VamasTestBlock b = rampBlock(points, std::move(technique));
    b.species = std::move(species);
    b.transition = std::move(transition);
    return b;
}

struct Listed {
    std::vector<BatchItem> items;
    std::vector<std::string> problems;

    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const BatchItem& item : items) out.push_back(item.outputName);
        return out;
    }
};

class BatchItemsTest : public ::testing::Test {
  protected:
    std::string write(const std::string& name, const std::string& text) {
        const std::string path = dir.file(name);
        testing::writeWholeFile(path, text);
        return path;
    }
    Listed list(const std::vector<std::string>& files, std::string_view blocks) {
        Listed out;
        out.items = batchItems(files, choice(blocks), out.problems);
        return out;
    }
    // An Auger survey, then C 1s and Ti 2p3/2 of XPS.
    std::string survey() {
        return write("depth.vms",
                     vamasText(VamasTestFile({level("AES diff", "Survey", "", 11),
                                              level("XPS", "C", "1s", 21), level("XPS", "Ti", "2p3/2", 7)})));
    }

    TempDir dir;
};

TEST_F(BatchItemsTest, BlocksOfEachFileInOrderWithNamesCarryingNumberAndLabel) {
    const std::string vamas = survey();
    const std::string text = write("c1s.txt", "300 1\n299 2\n");
    const Listed all = list({vamas, text}, "all");
    EXPECT_TRUE(all.problems.empty());
    EXPECT_EQ(all.names(),
              (std::vector<std::string>{"depth.b1-Survey", "depth.b2-C_1s", "depth.b3-Ti_2p3_2", "c1s"}));
    EXPECT_EQ(all.items[2].block, 2);
    EXPECT_EQ(all.items[2].blockNumber, 3);
    EXPECT_EQ(all.items[2].blockLabel, "Ti 2p3/2");
    EXPECT_EQ(all.items[3].block, -1);

    EXPECT_EQ(list({vamas, text}, "xps").names(),
              (std::vector<std::string>{"depth.b2-C_1s", "depth.b3-Ti_2p3_2", "c1s"}));
    const Listed chosen = list({vamas}, "3,5");
    EXPECT_EQ(chosen.names(), std::vector<std::string>{"depth.b3-Ti_2p3_2"});
    EXPECT_EQ(chosen.problems, std::vector<std::string>{vamas + ": block 5: the file has 3 blocks"});
    // "first" reads nothing and names as the batch always has.
    const Listed first = list({vamas, text, dir.file("missing.vms")}, "first");
    EXPECT_EQ(first.names(), (std::vector<std::string>{"depth", "c1s", "missing"}));
    EXPECT_EQ(first.items[0].block, -1);
}

TEST_F(BatchItemsTest, NamesStayUniqueInTheRun) {
    const std::string vamas = survey();
    std::filesystem::create_directory(dir.path() / "other");
    const std::string again = write("other/depth.vms", vamasText(VamasTestFile({rampBlock(3)})));
    const std::string text = write("depth.txt", "300 1\n299 2\n");
    const Listed listed = list({vamas, again, text}, "xps");
    // Two files of one stem keep their extensions; a second file of the same name goes whole.
    EXPECT_EQ(listed.names(),
              (std::vector<std::string>{"depth.vms.b2-C_1s", "depth.vms.b3-Ti_2p3_2", "depth.txt"}));
    EXPECT_EQ(listed.problems,
              std::vector<std::string>{again + ": skipped: another data file has the same name"});

    // A file named as an earlier file's block is left out too; what each file says comes in the order
    // of the files and their blocks, whichever check found it.
    const std::string empty = write("empty.vms", vamasText(VamasTestFile({rampBlock(0), rampBlock(3)})));
    const std::string named = write("depth.b2-C_1s.txt", "300 1\n299 2\n");
    const Listed clash = list({vamas, named, empty, empty}, "all");
    EXPECT_EQ(clash.names(), (std::vector<std::string>{"depth.b1-Survey", "depth.b2-C_1s",
                                                       "depth.b3-Ti_2p3_2", "empty.vms.b2-C_1s"}));
    EXPECT_EQ(clash.problems,
              (std::vector<std::string>{named + ": skipped: another data file has the same name",
                                        empty + ": block 1: the block holds no points",
                                        empty + ": skipped: another data file has the same name"}));
}

// Many files of blocks: each is listed once, and its blocks still read when its listing has long
// made way for later files'.
TEST_F(BatchItemsTest, BlocksOfHundredsOfFilesReadInAnyOrder) {
    std::vector<std::string> files;
    for (int f = 0; f < 300; ++f)
        files.push_back(write("s" + std::to_string(f) + ".vms",
                              vamasText(VamasTestFile({rampBlock(2 + f % 5), rampBlock(3 + f % 7)}))));
    std::vector<std::string> problems;
    const BatchItems items(files, choice("all"), problems);
    ASSERT_EQ(items.size(), 600u);
    EXPECT_TRUE(problems.empty());
    for (std::size_t k = items.size(); k-- > 0;) {
        const BatchItem item = items[k];
        EXPECT_EQ(item.file, files[k / 2]);
        CliSession cli;
        importItem(cli, "vamas", item);
        const int f = static_cast<int>(k / 2);
        EXPECT_EQ(cli.workspace().regions[0].pointCount, k % 2 == 0 ? 2 + f % 5 : 3 + f % 7) << k;
    }
}

TEST_F(BatchItemsTest, DamagedAndUnreadableFilesAreReportedAndLeftOut) {
    const std::string text =
        vamasText(VamasTestFile({rampBlock(5), rampBlock(6), rampBlock(7), rampBlock(8)}));
    std::size_t third = text.find("Block\n");
    for (int b = 0; b < 2; ++b) third = text.find("Block\n", third + 1);
    const std::string damaged = write("damaged.vms", text.substr(0, third + 40));
    const Listed all = list({damaged}, "all");
    EXPECT_EQ(all.names(), (std::vector<std::string>{"damaged.b1-C_1s", "damaged.b2-C_1s"}));
    EXPECT_EQ(all.problems,
              std::vector<std::string>{damaged + ": block 3: the block cannot be read, nor the 1 after it"});
    const Listed chosen = list({damaged}, "2-4,9");
    EXPECT_EQ(chosen.names(), std::vector<std::string>{"damaged.b2-C_1s"});
    EXPECT_EQ(chosen.problems,
              (std::vector<std::string>{damaged + ": block 3: the block cannot be read",
                                        damaged + ": block 4: lost with block 3, which cannot be read",
                                        damaged + ": block 9: the file has 4 blocks"}));

    const std::string empty = write("empty.vms", vamasText(VamasTestFile({rampBlock(0), rampBlock(3)})));
    const std::string broken = write("broken.vms", text.substr(0, text.find("Block\n") + 40));
    const std::string plain = write("plain.txt", "300 1\n");
    const Listed others = list({empty, broken, dir.file("missing.vms"), plain}, "all");
    EXPECT_EQ(others.names(), (std::vector<std::string>{"empty.b2-C_1s", "plain"}));
    EXPECT_EQ(others.problems,
              (std::vector<std::string>{empty + ": block 1: the block holds no points",
                                        broken + ": no block can be read (Error in reading file)",
                                        dir.file("missing.vms") + ": cannot read the file"}));
}

// The blocks after the first leave out their species and source energy, which they take from it.
VamasTestFile sparseFile() {
    VamasTestBlock magnesium = level("XPS", "O", "1s", 9);
    magnesium.sourceEnergy = 1253.6;
    return fileWith({level("UPS", "Ti", "2p", 4), magnesium, rampBlock(6000)}, [](auto& f) {
        f.excluded = {16, 31};
    });
}

TEST_F(BatchItemsTest, EachBlockImportsAsTheDesktopImportsIt) {
    const std::string path = write("sparse.vms", vamasText(sparseFile()));
    std::vector<std::string> problems;
    const std::vector<BatchItem> items = batchItems({path}, choice("all"), problems);
    ASSERT_EQ(items.size(), 3u);
    for (const BatchItem& item : items) {
        CliSession fromItem, fromDesktop;
        importItem(fromItem, "auto", item);
        fromDesktop.workspace().fileName = path;
        ASSERT_TRUE(importVamasBlock(fromDesktop.session, item.block));
        testing::expectSameWorkspace(fromItem.workspace(), fromDesktop.workspace());
        EXPECT_EQ(fromItem.workspace().regions[0].coreLevel, fromDesktop.workspace().regions[0].coreLevel);
    }
}

TEST_F(BatchItemsTest, BlocksImportAtOnceFromSeveralThreads) {
    std::vector<VamasTestBlock> blocks;
    for (int b = 0; b < 40; ++b) blocks.push_back(rampBlock(5 + b));
    const std::string path = write("series.vms", vamasText(VamasTestFile(blocks)));
    std::vector<std::string> problems;
    const std::vector<BatchItem> items = batchItems({path}, choice("all"), problems);
    ASSERT_EQ(items.size(), blocks.size());
    std::vector<int> points(items.size(), 0);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (std::size_t k = t; k < items.size(); k += 4) {
                CliSession cli;
                importItem(cli, "vamas", items[k]);
                points[k] = cli.workspace().regions[0].pointCount;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (std::size_t k = 0; k < items.size(); ++k) EXPECT_EQ(points[k], 5 + static_cast<int>(k));
}

TEST_F(BatchItemsTest, ABlockThatCannotBeImportedFails) {
    const std::string path = write("short.vms", vamasText(VamasTestFile({rampBlock(3), rampBlock(4)})));
    std::vector<std::string> problems;
    const std::vector<BatchItem> items = batchItems({path}, choice("2"), problems);
    ASSERT_EQ(items.size(), 1u);
    // The file cut short after it was listed.
    const std::string text = testing::readWholeFile(path);
    testing::writeWholeFile(path, text.substr(0, text.rfind("Block\n") + 40));
    CliSession cli;
    try {
        importItem(cli, "vamas", items[0]);
        ADD_FAILURE() << "imported";
    } catch (const CommandFailed& failure) {
        EXPECT_EQ(std::string(failure.what()), path + ": block 2: Error in reading file");
    }
}

}  // namespace
}  // namespace vortlan::cli
