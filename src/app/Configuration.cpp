#include "app/Configuration.h"

#include "audio/Sounds.h"
#include "core/Configuration.h"
#include "core/LevelCatalogue.h"
#include "core/ProgramState.h"
#include "records/Criteria.h"

#include <QCoreApplication>

void LoadConfiguration(ProgramState& state, const QString& programFolder) {
    LoadClassroomData(state, programFolder);
    state.folders.OutboxFolder = ReadOutboxFolder(QCoreApplication::applicationDirPath());
    LoadSoundTable(state);
}

void LoadClassroomData(ProgramState& state, const QString& programFolder) {
    LoadFoldersAndCommonSettings(state, programFolder);
    SetProgramIdentity(state);
    LoadCriteria(state);
}
