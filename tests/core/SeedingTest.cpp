#include "TestDoubles.h"

#include "core/RealPlatform.h"
#include "core/Seeding.h"

#include <gtest/gtest.h>

#include <set>

namespace {
struct SeedParts {
    const char* what;
    qint64 msecs;
    double monotonic;
    const char* machine;
    qint64 pid;
};

// The first lengths of a drill as the generator draws them: Int(r × 5 + 1) × 2.
std::vector<int> FirstLengths(std::uint32_t seed) {
    MersenneRandom random;
    random.seed(seed);
    std::vector<int> lengths;
    for (int i = 0; i < 10; ++i)
        lengths.push_back(int(random.next() * 5 + 1) * 2);
    return lengths;
}
} // namespace

// Two classroom machines open the same level in the same second.
TEST(Seeding, DrillsOpenedInTheSameSecondGetDifferentSeeds) {
    const qint64 second = QDateTime(QDate(2026, 12, 9), QTime(10, 0, 0)).toMSecsSinceEpoch();
    const SeedParts base{"base", second, 1000.0, "machine-a", 4242};
    const std::uint32_t baseSeed = MixSeed(base.msecs, base.monotonic, base.machine, base.pid);
    EXPECT_EQ(MixSeed(base.msecs, base.monotonic, base.machine, base.pid), baseSeed)
        << "not repeatable";

    const SeedParts others[] = {
        {"later in the same second", second + 250, 1000.0, "machine-a", 4242},
        {"a millisecond later", second + 1, 1000.0, "machine-a", 4242},
        {"another machine, same instant", second, 1000.0, "machine-b", 4242},
        {"another process, same instant", second, 1000.0, "machine-a", 4243},
        {"a microsecond later on the fine clock", second, 1000.000001, "machine-a", 4242},
    };
    std::set<std::uint32_t> seeds{baseSeed};
    for (const SeedParts& p : others) {
        const std::uint32_t seed = MixSeed(p.msecs, p.monotonic, p.machine, p.pid);
        EXPECT_TRUE(seeds.insert(seed).second) << p.what;
        EXPECT_NE(FirstLengths(seed), FirstLengths(baseSeed)) << p.what;
    }
}

TEST(Seeding, TheFreshSeedFollowsTheClock) {
    FakeClock clock;
    const std::uint32_t first = FreshSeed(clock);
    EXPECT_EQ(FreshSeed(clock), first);
    clock.advance(0.001);
    EXPECT_NE(FreshSeed(clock), first);
}
