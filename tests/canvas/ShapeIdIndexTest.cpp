// The id index against a reference map under random inserts and deletes, through several
// growths and a rebuild: backward-shift deletion must never lose an entry of a probe run.
#include "canvas/ShapeIdIndex.h"
#include "canvas/Shapes.h"

#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <random>

namespace vsx {
namespace {

TEST(ShapeIdIndex, MatchesAReferenceMapUnderChurn)
{
    ShapeIdIndex index;
    std::map<int, std::unique_ptr<TVPoint>> reference;
    std::mt19937 rng(1234);
    int nextId = 1;
    for (int step = 0; step < 60000; ++step) {
        const bool insert = reference.empty() || rng() % 3 != 0;
        if (insert) {
            // Mostly rising ids as the canvas gives them, some far apart.
            const int id = rng() % 10 == 0 ? int(rng() % 2000000000) + 1 : nextId++;
            if (reference.count(id)) continue;
            auto p = std::make_unique<TVPoint>(0, 0, 0);
            p->Id = id;
            index.insert(p.get());
            reference[id] = std::move(p);
        } else {
            auto it = reference.begin();
            std::advance(it, rng() % reference.size());
            index.erase(it->first);
            reference.erase(it);
        }
        if (step % 5000 == 0) {
            for (const auto& [id, p] : reference) ASSERT_EQ(index.find(id), p.get()) << "step " << step;
        }
    }
    EXPECT_EQ(index.size(), reference.size());
    for (const auto& [id, p] : reference) EXPECT_EQ(index.find(id), p.get());
    EXPECT_EQ(index.find(0), nullptr);
    EXPECT_EQ(index.find(-5), nullptr);

    std::vector<TVShape*> all;
    for (const auto& [id, p] : reference) all.push_back(p.get());
    index.rebuild(all);
    for (const auto& [id, p] : reference) EXPECT_EQ(index.find(id), p.get());
    index.erase(123456789);  // absent: nothing
    EXPECT_EQ(index.size(), reference.size());
}

} // namespace
} // namespace vsx
