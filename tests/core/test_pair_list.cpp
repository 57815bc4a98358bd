// The ordered list of pair entries: order, rows and removals, checked against
// a plain vector over random operations.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "Controller/PairList.h"

namespace yomi {
namespace {

PairEntryRef entry(int i) { return std::make_shared<PairEntry>(PairEntry{toUtf16(std::to_string(i)), u""}); }

TEST(PairList, AppendRowsAndRemoval)
{
    PairList list;
    std::vector<PairEntryRef> e;
    for (int i = 0; i < 5; ++i) {
        e.push_back(entry(i));
        EXPECT_EQ(list.append(e.back()), static_cast<std::size_t>(i));
    }
    list.removeAt(list.rowOf(e[1].get()));
    EXPECT_EQ(list.size(), 4u);
    EXPECT_EQ(list.at(1), e[2]);
    EXPECT_EQ(list.rowOf(e[4].get()), 3u);
    EXPECT_EQ(list.rowOf(e[1].get()), PairList::npos);
    EXPECT_THROW(list.at(4), std::out_of_range);
    EXPECT_EQ(list.entries(), (std::vector<PairEntryRef>{e[0], e[2], e[3], e[4]}));
}

TEST(PairList, MatchesAVectorOverRandomOperations)
{
    std::mt19937 rng(7);
    PairList list;
    std::vector<PairEntryRef> model;
    int next = 0;
    for (int step = 0; step < 20000; ++step) {
        if (model.empty() || rng() % 3 != 0) {
            model.push_back(entry(next++));
            list.append(model.back());
        } else {
            const std::size_t victim = rng() % model.size();
            ASSERT_EQ(list.rowOf(model[victim].get()), victim);
            list.removeAt(victim);
            model.erase(model.begin() + static_cast<std::ptrdiff_t>(victim));
        }
        ASSERT_EQ(list.size(), model.size());
        if (step % 97 == 0) {
            for (std::size_t r = 0; r < model.size(); ++r)
                ASSERT_EQ(list.at(r), model[r]) << "step " << step << " row " << r;
        }
    }
    EXPECT_EQ(list.entries(), model);
}

} // namespace
} // namespace yomi
