#include "audio/Sounds.h"

#include "core/CsvReader.h"
#include "core/ProgramState.h"
#include "core/Text.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>

#include <optional>

namespace {

constexpr int kFirstCategory = 1;
constexpr int kLastCategory = 10;
constexpr int kVariantSlots = 20;
constexpr int kCountSlot = 21;
// Failures in a row that pass silently; the next one ends the program.
constexpr int kToleratedFailures = 3;

constexpr int kCorrectCategory = 2;
constexpr int kWrongCategory = 4;
constexpr int kPersonalBestCategory = 8;
constexpr int kFailCategory = 10;
constexpr int kPlayedCategories[] = {kCorrectCategory, kWrongCategory, kPersonalBestCategory,
                                     kFailCategory};

Q_LOGGING_CATEGORY(lcSounds, "drill.sounds")

QString CategoryName(int category) {
    static const char16_t* const names[] = {
        u"",        u"正解音1",     u"正解音2",     u"間違い音1",   u"間違い音2", u"最高音1",
        u"最高音2", u"自己最高音1", u"自己最高音2", u"自己最高音3", u"不合格音1",
    };
    return QString::fromUtf16(names[category]);
}

int CategoryNamed(const QString& value) {
    for (int c = kFirstCategory; c <= kLastCategory; ++c)
        if (CategoryName(c) == value) return c;
    return 0;
}

QString NativePath(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// Reads the file names after a category name up to the end mark "*"; twenty
// names fill the group without a mark.
void ReadVariants(CsvReader& reader, std::array<QString, 22>& row) {
    int j = 1;
    for (; j <= kVariantSlots; ++j) {
        if (reader.atEnd()) {
            qCWarning(lcSounds).noquote()
                << QStringLiteral("%1: the list of %2 ends without \"*\"; its %3 names are used")
                       .arg(NativePath(reader.fileName()), row[0])
                       .arg(j - 1);
            break;
        }
        const QString name = reader.readText();
        if (name == QLatin1String("*")) break;
        row[j] = name;
    }
    row[kCountSlot] = QString::number(j - 1);
}

int VariantCount(const ProgramState& state, int category) {
    return int(CsvReader::ToNumber(state.sounds.SoundFiles[category][kCountSlot]));
}

// A category the installation does not list plays nothing; say so once, here.
void LogUnlistedCategories(const ProgramState& state) {
    for (int c : kPlayedCategories)
        if (VariantCount(state, c) <= 0)
            qCWarning(lcSounds).noquote()
                << QStringLiteral("%1 lists no sounds for %2; that sound stays silent")
                       .arg(kSoundListFileName, CategoryName(c));
}

std::optional<QString> ChooseVariant(ProgramState& state, int category) {
    const int count = VariantCount(state, category);
    if (count <= 0) return std::nullopt;
    const double r = state.platform.random->next();
    const int index = int(r * count + 1);
    return state.sounds.SoundFiles[category][index];
}

// The student must see the judged answer or the result before the sound holds
// the program. Only laying out and painting run here: clicks and timers wait
// until the sound has finished, so the results screen does not settle between
// its two sounds. (The event loop cannot hold timers back on every system.)
void LetScreensPaint() {
    if (!QCoreApplication::instance()) return;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
}

// Sound folders copied from Windows hold names such as 正解音2_1.WAV, or names
// whose letter case differs from the sound list's: any case will do when the
// exact name is not there.
QString SoundPath(const QString& folder, const QString& fileName) {
    const QString exact = folder + fileName;
    if (QFileInfo::exists(exact)) return exact;
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : names)
        if (name.compare(fileName, Qt::CaseInsensitive) == 0) return folder + name;
    return exact;
}

PlayResult PlayFile(ProgramState& state, const QString& fileName) {
    LetScreensPaint();
    return state.platform.sound->playToEnd(SoundPath(state.folders.SoundFolder, fileName));
}

void PlayVariant(ProgramState& state, int category) {
    if (const auto variant = ChooseVariant(state, category))
        PlayFile(state, *variant + QStringLiteral(".wav"));
}

AnswerSound CountAnswerSoundResult(ProgramState& state, const PlayResult& result) {
    int& failures = state.sounds.SoundFailures;
    if (result.code == 0) {
        failures = 0;
        return {};
    }
    if (failures < kToleratedFailures) {
        ++failures;
        return {};
    }
    return {true, result.error};
}

AnswerSound PlayAnswerSound(ProgramState& state, int category) {
    const auto variant = ChooseVariant(state, category);
    if (!variant) return {};
    return CountAnswerSoundResult(state, PlayFile(state, *variant + QStringLiteral(".wav")));
}

} // namespace

void LoadSoundTable(ProgramState& state) {
    auto& files = state.sounds.SoundFiles;
    for (auto& row : files)
        row.fill(QString());
    for (int c = kFirstCategory; c <= kLastCategory; ++c)
        files[c][0] = CategoryName(c);

    const QString path = state.folders.SoundFolder + kSoundListFileName;
    if (!QFileInfo::exists(path))
        throw DataFileError(
            QStringLiteral(
                "音の一覧ファイルがありません: %1\r\n"
                "音フォルダに「%2」を置いてください。音の種類の名前（正解音2、間違い音2、"
                "自己最高音2、不合格音1 など）に続けて、その種類の wav ファイル名（.wav を除く）を"
                "20 個まで並べ、「*」で区切ります。")
                .arg(NativePath(path), kSoundListFileName));

    CsvReader reader = CsvReader::fromFile(path);
    while (!reader.atEnd()) {
        // Values where a category name is expected but that name none are skipped.
        if (const int c = CategoryNamed(reader.readText())) ReadVariants(reader, files[c]);
    }
    LogUnlistedCategories(state);
}

QString AnswerSound::message() const {
    return QStringLiteral("音声がでません。先生を呼びなさい。\r\n") + error;
}

AnswerSound PlayCorrectSound(ProgramState& state) {
    return PlayAnswerSound(state, kCorrectCategory);
}

AnswerSound PlayWrongSound(ProgramState& state) {
    return PlayAnswerSound(state, kWrongCategory);
}

void PlayPersonalBestSound(ProgramState& state) {
    PlayVariant(state, kPersonalBestCategory);
}

void PlayFailSound(ProgramState& state) {
    PlayVariant(state, kFailCategory);
}

void PlayBestSound(ProgramState& state) {
    PlayFile(state, QStringLiteral("最高1.wav"));
}

void PlayPassSound(ProgramState& state) {
    PlayFile(state, QStringLiteral("合格.wav"));
}
