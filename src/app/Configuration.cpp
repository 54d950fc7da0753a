#include "app/Configuration.h"

#include "audio/Sounds.h"
#include "core/Configuration.h"
#include "core/LevelCatalogue.h"
#include "records/Criteria.h"

void LoadConfiguration(ProgramState& state, const QString& programFolder) {
    LoadClassroomData(state, programFolder);
    LoadSoundTable(state);
}

void LoadClassroomData(ProgramState& state, const QString& programFolder) {
    LoadFoldersAndCommonSettings(state, programFolder);
    SetProgramIdentity(state);
    LoadCriteria(state);
}
