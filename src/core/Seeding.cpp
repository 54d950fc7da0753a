#include "core/Seeding.h"

#include "core/Platform.h"

#include <QCoreApplication>
#include <QSysInfo>

#include <cmath>

namespace {

// SplitMix64's finaliser: every input bit moves about half of the output bits.
std::uint64_t Scramble(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

std::uint64_t Fold(std::uint64_t hash, std::uint64_t part) {
    return Scramble(hash ^ part);
}

// FNV-1a: the same bytes give the same number in every process.
std::uint64_t BytesHash(const QByteArray& bytes) {
    std::uint64_t hash = 0xCBF29CE484222325ULL;
    for (const char byte : bytes) {
        hash ^= std::uint8_t(byte);
        hash *= 0x100000001B3ULL;
    }
    return hash;
}

QByteArray MachineIdentity() {
    // The machine id may be missing (some containers); the host name is there.
    return QSysInfo::machineUniqueId() + '/' + QSysInfo::machineHostName().toUtf8();
}

} // namespace

std::uint32_t MixSeed(qint64 msecsSinceEpoch, double monotonicSeconds, const QByteArray& machine,
                      qint64 processId) {
    std::uint64_t hash = Fold(0, std::uint64_t(msecsSinceEpoch));
    hash = Fold(hash, std::uint64_t(std::llround(std::fmod(monotonicSeconds, 1e6) * 1e9)));
    hash = Fold(hash, BytesHash(machine));
    hash = Fold(hash, std::uint64_t(processId));
    return std::uint32_t(hash ^ (hash >> 32));
}

std::uint32_t FreshSeed(const Clock& clock) {
    return MixSeed(clock.now().toMSecsSinceEpoch(), clock.monotonicSeconds(), MachineIdentity(),
                   QCoreApplication::applicationPid());
}
