// The attempt log's readers on a log made of any bytes: any length, any
// student, level, kind, class, date (negative, NaN, infinite) and keys. Every
// reader must read each whole record once, keep or skip it by the same rule,
// and never read past the end.

#include "FuzzSupport.h"
#include "TestDoubles.h"

#include "records/AttemptLog.h"

#include <cmath>

namespace {

void CheckRecordsDecode(const QByteArray& bytes, qint64& valid) {
    for (qsizetype at = 0; at + kAttemptRecordSize <= bytes.size(); at += kAttemptRecordSize) {
        const auto record = DecodeAttemptRecord(bytes.constData() + at);
        if (!record) continue;
        ++valid;
        // What was decoded is written back the same way, keys aside (bytes
        // that are no code page 932 come back as a replacement character).
        AttemptRecord again = *record;
        const auto back = DecodeAttemptRecord(EncodeAttemptRecord(again).constData());
        if (!back) FuzzFailure("a decoded attempt does not decode once written again");
        again.attempt.keys = back->attempt.keys;
        // Compared as bytes: a NaN time of day is kept as it was, and NaN is
        // unequal to itself.
        if (EncodeAttemptRecord(*back) != EncodeAttemptRecord(again))
            FuzzFailure("a decoded attempt changes when written again");
    }
}

void CheckReaders(const QString& path, qsizetype size, qint64 valid) {
    const qint64 whole = size / kAttemptRecordSize;
    const AttemptReading all = ReadLastAttempts(path, whole + 3);
    if (qint64(all.records.size()) != valid || all.records.size() + all.skipped != size_t(whole))
        FuzzFailure("reading every record gave another number of records");
    if ((size % kAttemptRecordSize != 0 || all.skipped > 0) == all.problem.isEmpty())
        FuzzFailure("a reading left something out without saying so, or said so for nothing");
    const AttemptReading last = ReadLastAttempts(path, 2);
    if (last.records.size() + last.skipped != size_t(std::min<qint64>(whole, 2)))
        FuzzFailure("the last two records were not read");
    for (const AttemptRecord& r : ReadAttemptsSince(path, 46000, 7).records)
        if (r.student != 7 || !(r.date >= 46000))
            FuzzFailure("a record of another student or an older day was read");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    EnsureApplication();
    static const TempInstall install;
    const QByteArray bytes = FuzzBytes(data, size);
    qint64 valid = 0;
    CheckRecordsDecode(bytes, valid);
    const QString path = install.dataFolder() + kAttemptLogFileName;
    install.writeBytes(path, bytes);
    CheckReaders(path, bytes.size(), valid);
    return 0;
}
