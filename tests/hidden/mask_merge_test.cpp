#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "hidden/masked_array.h"
#include "hidden/test_host.h"
#include "owned_array.h"

namespace zv {
namespace {

std::vector<double> Merged(const std::vector<double>& target, const std::vector<double>& source) {
    OwnedArray<double> t(target), s(source);
    MergeMask(t.a, s.a);
    return ValuesOf<double>(t.a);
}

using V = std::vector<double>;

// The documented merges and the tolerance rules: toggles of magnitude up to
// 1e-5 met while walking the source move the counter but are not recorded;
// target toggles left after the last source toggle count by sign only; a
// target toggle within 1e-5 of a source toggle is taken after it, and a pair
// that ends up out of order bounds no stretch.
TEST(MergeMask, DocumentedMerges) {
    struct Case {
        V target, source, merged;
    } cases[] = {
        {{1.0}, {1.0, -1.25, 1.75}, {1.0, -1.25, 1.75}},
        {{1.0, -1.25, 1.75}, {1.0, -1.5, 2.5}, {1.0, -1.25, 2.5}},
        {{1.0, -1.5, 2.5}, {1.0, -1.25, 1.75}, {1.0, -1.25, 2.5}},
        {{1.0, -0.5, 0.75}, {1.0, -2.0, 2.5}, {1.0, -0.5, 0.75, -2.0, 2.5}},
        {{1.0, -2.0, 2.5}, {1.0, -0.5, 0.75}, {1.0, -0.5, 0.75, -2.0, 2.5}},
        {{1.0}, {-1.0, 1.5, -4.5}, {-1.0, 1.5, -4.5}},
        {{-1.0, 1.5, -4.5}, {1.0, -2.0, 2.5}, {-1.0, 1.5, -2.0, 2.5, -4.5}},
        {{1.0, -0.5, 0.75}, {-1.0}, {-1.0}},
        {{1.0, -0.5, 0.75}, {1.0}, {1.0, -0.5, 0.75}},
        {{-1.0}, {1.0}, {-1.0}},
        {{1.0, -0.5, 0.75}, {-0.999}, {1.0, -0.5, 0.75}},  // only exactly -1.0 hides everything
        {{1.0}, {1.0, -1.0, -2.0, 2.0, 3.0}, {1.0, -1.0, 3.0}},
        {{-1.0}, {1.0, -1.0, 2.0}, {-1.0}},
        {{-1.0}, {-1.0, 1.5, -4.5}, {-1.0}},
        {{1.0}, {1.0, -0.000003, 0.000006, -1.0, 2.0}, {1.0, -1.0, 2.0}},
        {{1.0}, {1.0, -0.00002, 2.0}, {1.0, -0.00002, 2.0}},
        {{1.0}, {1.0, -0.000005, 2.0}, {1.0, 2.0}},
        {{1.0, -0.000005, 2.0}, {1.0, -0.5, 0.75}, {1.0, 2.0}},
        {{1.0, -0.000005, 2.0}, {1.0, -0.000001, 0.000002}, {1.0, -0.000005, 2.0}},
        {{1.0, -0.999996, 2.0}, {1.0, -0.5, 1.0}, {1.0, -0.5, 2.0}},
        {{1.0, -0.99, 2.0}, {1.0, -0.5, 1.0}, {1.0, -0.5, 2.0}},
        {{1.0, -0.5, 0.75}, {}, {1.0, -0.5, 0.75}},  // a source without values changes nothing
        {{}, {1.0, -1.25, 1.75}, {1.0, -1.25, 1.75}},  // a target without values counts as visible
        {{}, {-1.0}, {-1.0}},
    };
    for (const Case& c : cases) EXPECT_EQ(Merged(c.target, c.source), c.merged) << ::testing::PrintToString(c.target)
                                                                                 << " + " << ::testing::PrintToString(c.source);
}

TEST(MergeMask, SourceMayBeTheTargetItself) {
    OwnedArray<double> m({1.0, -1.25, 1.75});
    MergeMask(m.a, m.a);
    EXPECT_EQ(ValuesOf<double>(m.a), (V{1.0, -1.25, 1.75}));
}

// ---------------------------------------------------------------- property

// Visibility of a mask at parameter p, reading the signs of the toggles.
bool VisibleBySign(const V& mask, double p) {
    bool visible = mask[0] > 0;
    for (size_t k = 1; k < mask.size() && std::fabs(mask[k]) < p; ++k) visible = mask[k] > 0;
    return visible;
}

// A mask in the item format: an even number of distinct toggles in (0.01,
// 10), alternating from the state opposite to the start.
V RandomItemMask(std::mt19937& rng) {
    std::uniform_int_distribution<int> pairs(0, 4);
    std::uniform_real_distribution<double> where(0.01, 10.0);
    std::bernoulli_distribution startVisible(0.6);
    V toggles;
    for (int k = 2 * pairs(rng); k > 0; --k) toggles.push_back(where(rng));
    std::sort(toggles.begin(), toggles.end());
    V mask{startVisible(rng) ? 1.0 : -1.0};
    bool visible = mask[0] > 0;
    for (double t : toggles) {
        visible = !visible;
        mask.push_back(visible ? t : -t);
    }
    return mask;
}

TEST(MergeMask, PropertyVisibleExactlyWhereBothAreVisible) {
    std::mt19937 rng(20240611);
    std::uniform_real_distribution<double> at(0.0, 10.5);
    int checked = 0;
    for (int round = 0; round < 500; ++round) {
        const V target = RandomItemMask(rng);
        const V source = RandomItemMask(rng);
        const V merged = Merged(target, source);
        ASSERT_GE(merged.size(), 1u);
        ASSERT_TRUE(merged[0] == 1.0 || merged[0] == -1.0);
        for (size_t k = 2; k < merged.size(); ++k) ASSERT_LT(std::fabs(merged[k - 1]), std::fabs(merged[k]));
        for (int probe = 0; probe < 20; ++probe) {
            const double p = at(rng);
            if (zvtest::DistanceToToggle(target, p) < 1e-4 || zvtest::DistanceToToggle(source, p) < 1e-4) continue;
            const bool expected = VisibleBySign(target, p) && VisibleBySign(source, p);
            ASSERT_EQ(VisibleBySign(merged, p), expected) << "round " << round << " at " << p;
            // The drawing reads a mask by alternation, whatever the toggles' signs.
            ASSERT_EQ(zvtest::VisibleAt(merged, p), expected) << "round " << round << " at " << p;
            ++checked;
        }
    }
    EXPECT_GT(checked, 7500);
}

}  // namespace
}  // namespace zv
