#include "MakeDemo.h"

#include "audio/Sounds.h"
#include "audio/WaveFile.h"
#include "core/Text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>

namespace {

constexpr int kRate = 22050;

struct DemoCategory {
    const char16_t* name;
    std::vector<Note> melody; // the first variant; later ones are transposed up
    int variants;
};

void WriteDemoWaveOnce(const QString& path, const std::vector<Note>& melody) {
    if (QFileInfo::exists(path)) return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw DataFileError(QStringLiteral("cannot write ") + path);
    file.write(PcmWave(ChimeSamples(melody, kRate, 0.5), kRate));
}

std::vector<Note> Transposed(std::vector<Note> melody, int semitones) {
    for (Note& note : melody)
        note.frequency *= std::pow(2.0, semitones / 12.0);
    return melody;
}

} // namespace

void LayOutDemoSounds(const QString& root) {
    const QString folder = root + QStringLiteral("data/音フォルダ/");
    QDir().mkpath(folder);

    // Bright rising notes for right answers and records, low falling ones for
    // wrong answers and a fail.
    const DemoCategory categories[] = {
        {u"正解音1", {{880, 0.12}, {1175, 0.18}}, 2},
        {u"正解音2", {{784, 0.1}, {1047, 0.1}, {1319, 0.15}}, 3},
        {u"間違い音1", {{220, 0.3}}, 2},
        {u"間違い音2", {{330, 0.15}, {262, 0.25}}, 3},
        {u"最高音1", {{523, 0.1}, {659, 0.1}, {784, 0.1}, {1047, 0.25}}, 2},
        {u"最高音2", {{659, 0.1}, {784, 0.1}, {1047, 0.1}, {1319, 0.25}}, 2},
        {u"自己最高音1", {{587, 0.12}, {740, 0.12}, {880, 0.25}}, 2},
        {u"自己最高音2", {{523, 0.12}, {784, 0.12}, {1047, 0.3}}, 3},
        {u"自己最高音3", {{698, 0.12}, {880, 0.12}, {1047, 0.25}}, 2},
        {u"不合格音1", {{392, 0.15}, {349, 0.15}, {262, 0.3}}, 2},
    };

    QString list;
    for (const DemoCategory& category : categories) {
        const QString name = QString::fromUtf16(category.name);
        list += name;
        for (int v = 1; v <= category.variants; ++v) {
            const QString file = QStringLiteral("%1_%2").arg(name).arg(v);
            WriteDemoWaveOnce(folder + file + QStringLiteral(".wav"),
                              Transposed(category.melody, 2 * (v - 1)));
            list += QLatin1Char(',') + file;
        }
        list += QStringLiteral(",*\n");
    }
    WriteDemoTextOnce(folder + kSoundListFileName, list);

    WriteDemoWaveOnce(folder + QStringLiteral("最高1.wav"),
                      {{523, 0.08}, {659, 0.08}, {784, 0.08}, {1047, 0.08}, {1319, 0.25}});
    WriteDemoWaveOnce(folder + QStringLiteral("合格.wav"), {{659, 0.12}, {880, 0.12}, {1319, 0.3}});
}
