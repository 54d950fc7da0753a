#pragma once
// Seeds of the one random generator. Two machines of a classroom often open a
// drill of the same level in the same second; their seeds must differ, or both
// students get the same lengths and key orders for the whole drill.

#include <QByteArray>

#include <cstdint>

class Clock;

// Mixes the wall clock to the millisecond, the monotonic clock to its finest
// step, this machine's identity and this process's id into one seed.
std::uint32_t MixSeed(qint64 msecsSinceEpoch, double monotonicSeconds, const QByteArray& machine,
                      qint64 processId);

// The seed for this machine and process now.
std::uint32_t FreshSeed(const Clock& clock);
