// The comma-separated reader on any bytes read as code page 932: every value
// is read, as text or as a number, until the reader says it is at the end.

#include "FuzzSupport.h"

#include "core/CsvReader.h"
#include "core/Text.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    EnsureApplication();
    const QString text = DecodeCp932(FuzzBytes(data, size));
    CsvReader reader(text, QStringLiteral("fuzz.txt"));
    // Every value takes at least one character or one comma, so a reader that
    // has not ended within this many reads is stuck.
    const qsizetype maxReads = text.size() + 2;
    int lastLine = reader.line();
    bool asNumber = size > 0 && (data[0] & 1);
    for (qsizetype reads = 0; !reader.atEnd(); ++reads) {
        if (reads > maxReads) FuzzFailure("the reader does not reach its end");
        try {
            if (asNumber) {
                if (!std::isfinite(reader.readNumber())) FuzzFailure("a number read is not finite");
            } else {
                (void)reader.readText();
            }
        } catch (const DataFileError&) {
            FuzzFailure("a read before the end threw");
        }
        asNumber = !asNumber;
        if (reader.line() < lastLine) FuzzFailure("the line number went back");
        lastLine = reader.line();
    }
    // Past the end a read throws a DataFileError or gives the empty value.
    try {
        (void)reader.readText();
    } catch (const DataFileError&) {
    }
    return 0;
}
