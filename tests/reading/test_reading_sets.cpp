// The project's name sets read through the system's engines: each set must
// score at least its floor (tests/reading/floors.tsv), a few points under
// the figures the engines reached when the floor was set, so that a change
// that makes readings worse fails here. The sets stay a benchmark too
// (yomi-reading-bench prints the figures).
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Category/Reader.h"
#include "Reading/SystemReadingKit.h"
#include "support/NameSets.h"

namespace yomi::reading {
namespace {

const std::string kSetFolder = YOMI_SOURCE_DIR "/tests/reading/";

// One line of the floors: a set and the least share of its values, in
// percent, whose top reading must be right and whose right reading must be
// among the candidates.
struct Floor {
    std::string set;
    double top = 0, among = 0;
};

// Shown in the test's name and output as the set's file name.
void PrintTo(const Floor& floor, std::ostream* out) { *out << floor.set; }

std::vector<Floor> floors()
{
    std::vector<Floor> out;
    std::ifstream in(kSetFolder + "floors.tsv");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        Floor f;
        fields >> f.set >> f.top >> f.among;
        if (fields)
            out.push_back(f);
    }
    return out;
}

class ReadingSets : public ::testing::TestWithParam<Floor> {
protected:
    static Reader& reader()
    {
        static const std::unique_ptr<ReadingKit> kit = systemReadingKit(false);
        static Reader r = [] {
            Reader made;
            kit->lend(made);
            made.alternatives = 4;
            return made;
        }();
        return r;
    }
};

TEST_P(ReadingSets, ReadAtLeastAsWellAsTheFloor)
{
    const Floor& floor = GetParam();
    ASSERT_TRUE(reader().available()) << "no reading engine: install the Japanese dictionaries";
    const std::vector<test::NameCase> cases = test::loadNameSet(kSetFolder + floor.set);
    ASSERT_FALSE(cases.empty()) << floor.set;
    std::size_t top = 0, among = 0;
    for (const test::NameCase& c : cases) {
        ValueContext context;
        context.kind = test::kindOfCategory(c.category);
        const test::NameScore score = test::scoreName(c, reader().read(toUtf16(c.value), context));
        top += score.top;
        among += score.among;
    }
    const double topShare = 100.0 * static_cast<double>(top) / static_cast<double>(cases.size());
    const double amongShare = 100.0 * static_cast<double>(among) / static_cast<double>(cases.size());
    EXPECT_GE(topShare, floor.top) << floor.set << ": top reading right for " << top << " of " << cases.size();
    EXPECT_GE(amongShare, floor.among) << floor.set << ": right among the candidates for " << among << " of "
                                       << cases.size();
    std::cout << floor.set << ": top-1 " << topShare << "%, among candidates " << amongShare << "%\n";
}

std::string setName(const ::testing::TestParamInfo<Floor>& info)
{
    std::string name;
    for (const char c : info.param.set.substr(0, info.param.set.find('.')))
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(EachSet, ReadingSets, ::testing::ValuesIn(floors()), setName);

TEST(ReadingSetFloors, EverySetOfTheFolderHasAFloor)
{
    std::vector<std::string> floored;
    for (const Floor& f : floors()) {
        EXPECT_GT(f.top, 0.0) << f.set;
        EXPECT_LE(f.top, f.among) << f.set << ": right at the top is also among the candidates";
        floored.push_back(f.set);
    }
    for (const auto& entry : std::filesystem::directory_iterator(kSetFolder)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".tsv" && name != "floors.tsv") {
            EXPECT_NE(std::find(floored.begin(), floored.end(), name), floored.end())
                << name << " has no floor in floors.tsv";
        }
    }
}

} // namespace
} // namespace yomi::reading
