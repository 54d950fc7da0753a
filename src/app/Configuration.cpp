#include "app/Configuration.h"

#include "audio/Sounds.h"
#include "core/Configuration.h"
#include "core/LevelCatalogue.h"
#include "core/ProgramState.h"
#include "core/SharedReading.h"
#include "records/Criteria.h"

#include <QCoreApplication>

#include <memory>

void LoadConfiguration(ProgramState& state, const QString& programFolder,
                       const QString& machineFolder) {
    LoadClassroomData(state, programFolder);
    if (!machineFolder.isEmpty()) state.folders.OutboxFolder = ReadOutboxFolder(machineFolder);
    LoadSoundTable(state);
}

void LoadConfigurationPatiently(ProgramState& state, const QString& programFolder) {
    // What the reading sets, and what it keeps where a file says nothing.
    auto staged = std::make_shared<ProgramState>();
    staged->folders = state.folders;
    staged->common = state.common;
    staged->levels = state.levels;
    staged->criteria = state.criteria;
    staged->sounds = state.sounds;
    // Asked here: the application's own data is the screen thread's.
    const QString machineFolder = QCoreApplication::applicationDirPath();
    ReadSettingsPatiently(state, [staged, programFolder, machineFolder] {
        LoadConfiguration(*staged, programFolder, machineFolder);
    });
    state.folders = std::move(staged->folders);
    state.common = std::move(staged->common);
    state.levels = std::move(staged->levels);
    state.criteria = std::move(staged->criteria);
    state.sounds = std::move(staged->sounds);
}

void LoadClassroomData(ProgramState& state, const QString& programFolder) {
    LoadFoldersAndCommonSettings(state, programFolder);
    SetProgramIdentity(state);
    LoadCriteria(state);
}
