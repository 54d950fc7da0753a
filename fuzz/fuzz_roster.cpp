// The roster readers on any bytes as 新名簿.txt: the plain line reader, the
// file reader, and the three readings of the name screen, the board and the
// records browser, which put every line into tables by ID.

#include "FuzzSupport.h"
#include "TestDoubles.h"

#include "core/CsvReader.h"
#include "core/Text.h"
#include "roster/Roster.h"

#include <QDir>

namespace {
void ReadLinesInMemory(const QByteArray& bytes) {
    CsvReader reader(DecodeCp932(bytes), kRosterFileName);
    RosterRecord record;
    try {
        while (!reader.atEnd()) {
            (void)ReadRosterLine(reader, record);
            if (record.Name.size() != kRosterTextWidth || record.Aux3.size() != kRosterTextWidth ||
                record.Aux4.size() != kRosterTextWidth)
                FuzzFailure("a roster text is not fitted to 20 characters");
        }
    } catch (const DataFileError&) {
        // A short last line.
    }
}

void ReadFromInstallation(const TempInstall& install, TestRig& rig, const QByteArray& bytes) {
    ProgramState& state = rig.state;
    state.roster = RosterTables();
    state.folders.CommonFolder = install.dataRoot();
    state.common.YearStartMonth = 4;
    install.writeBytes(RosterFilePath(state), bytes);
    try {
        const std::vector<RosterLine> lines = ReadRosterFile(RosterFilePath(state));
        for (const RosterLine& line : lines)
            if (!IsValidStudent(line.record.Id))
                FuzzFailure("a roster line outside 1..5000 was kept");
        ComputeSchoolYear(state);
        const std::vector<RosterRecord> shown = FillNameScreenRoster(state, lines);
        if (int(shown.size()) > kMaxStudent) FuzzFailure("more than 5000 names shown");
        (void)ReadBoardRoster(state);
        BrowserRoster browser;
        ReadBrowserRoster(state, browser);
    } catch (const DataFileError&) {
        // A short line: the program says so and goes on without the roster.
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    EnsureApplication();
    // One installation and one program state per process: each run rewrites
    // the roster and starts from empty roster tables.
    static const TempInstall install;
    static TestRig rig;
    const QByteArray bytes = FuzzBytes(data, size);
    ReadLinesInMemory(bytes);
    ReadFromInstallation(install, rig, bytes);
    return 0;
}
