#pragma once
// What every fuzz target shares: a Qt application object made once, and the
// fuzz input as a byte array.

#include <QByteArray>

#include <cstddef>
#include <cstdint>

// Makes the QCoreApplication the readers' file and event calls expect.
void EnsureApplication();

inline QByteArray FuzzBytes(const uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Ends the run with a message libFuzzer reports as a crash: a broken
// property is as much a finding as a memory fault.
[[noreturn]] void FuzzFailure(const char* what);
