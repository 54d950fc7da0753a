#include "TestDoubles.h"

#include "core/Events.h"
#include "core/Text.h"
#include "platform/File.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QTimerEvent>

#include <stdexcept>

void FakeClock::advance(double seconds) {
    monotonic += seconds;
    current = current.addMSecs(qint64(seconds * 1000));
}

void FakeClock::wait(int milliseconds) {
    advance(milliseconds / 1000.0);
    LetEventsRun();
}

double ScriptedRandom::next() {
    ++draws;
    if (script.empty()) return fallback;
    const double r = script.front();
    script.pop_front();
    return r;
}

PlayResult RecordingSound::playToEnd(const QString& wavePath) {
    played.push_back(wavePath);
    if (results.empty()) return {};
    PlayResult r = results.front();
    results.pop_front();
    return r;
}

void ScriptedDialogs::inform(const QString& title, const QString& text) {
    shown.push_back({title, text});
}

bool ScriptedDialogs::askYesNo(const QString& title, const QString& text) {
    shown.push_back({title, text});
    if (answers.empty()) return true;
    const bool a = answers.front();
    answers.pop_front();
    return a;
}

bool ScriptedDialogs::askOkCancel(const QString& title, const QString& text) {
    return askYesNo(title, text);
}

bool RecordingLauncher::start(const QString& p, const QStringList& a) {
    program = p;
    arguments = a;
    ++starts;
    return succeed;
}

int RecordingNavigator::count(const QString& call) const {
    return int(std::count(calls.begin(), calls.end(), call));
}

TestRig::TestRig() {
    state.platform = Platform{&clock, &random, &sound, &dialogs, &launcher, &navigator};
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

Qt::CaseSensitivity FileNameCase(const QString& folder) {
    const QString probe = QDir(folder).filePath(QStringLiteral("case-probe"));
    QFile(probe).open(QIODevice::WriteOnly);
    const bool folded = QFileInfo::exists(QDir(folder).filePath(QStringLiteral("CASE-PROBE")));
    QFile::remove(probe);
    return folded ? Qt::CaseInsensitive : Qt::CaseSensitive;
}

TempInstall::TempInstall(const QString& programFolderName) : programFolderName_(programFolderName) {
    if (!dir_.isValid()) throw std::runtime_error("cannot make a temporary folder");
    QDir(dir_.path()).mkpath(QStringLiteral("programs/") + programFolderName);
    QDir(dir_.path()).mkpath(QStringLiteral("data/") + programFolderName);
}

QString TempInstall::programFolder() const {
    return root() + QStringLiteral("programs/") + programFolderName_;
}
QString TempInstall::dataRoot() const {
    return root() + QStringLiteral("data/");
}
QString TempInstall::dataFolder() const {
    return dataRoot() + programFolderName_ + QLatin1Char('/');
}

void TempInstall::writeBytes(const QString& path, const QByteArray& bytes) const {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write a test file");
    file.write(bytes);
}

void TempInstall::writeText(const QString& path, const QString& text) const {
    QString crlf = text;
    crlf.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    crlf.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    writeBytes(path, EncodeCp932(crlf));
}

void TempInstall::writeClassroom(const QString& levelLine, const QString& roster) const {
    writeText(root() + QStringLiteral("programs/パスデータ.txt"),
              dataRoot() + QStringLiteral("\n0\n0\n0\n0\n0\n0\n0\n0\n0\n"));
    writeText(dataRoot() + QStringLiteral("共通データ.txt"),
              QStringLiteral("4\n01234さくら教室\n0\n0\n0\nsensei\n0\n0\n0\n0\n"));
    QString criteria = QStringLiteral(
        "目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,予備,予備,予備\n");
    for (int level = 1; level <= 7; ++level)
        criteria += levelLine + QLatin1Char('\n');
    writeText(dataFolder() + QStringLiteral("タイム回数データ.txt"), criteria);
    writeText(dataRoot() + QStringLiteral("音フォルダ/新音ファイル.txt"), QString());
    writeText(dataRoot() + QStringLiteral("新名簿.txt"), roster);
}

void TickTimer(QObject* screen, const QString& timerName) {
    auto* timer = screen->findChild<QTimer*>(timerName);
    if (!timer) throw std::runtime_error("no timer " + timerName.toStdString());
    if (!timer->isActive()) return;
    QTimerEvent tick(timer->timerId());
    QCoreApplication::sendEvent(timer, &tick);
}

StuckOpen::StuckOpen(const QString& path) {
    platform::OverrideFileCall(
        platform::FileCall::Open,
        [stuck = stuck_, released = release_.get_future().share(),
         path](const QString& opened, qint64 length, const platform::SystemFileCall& system) {
            if (opened == path && !stuck->exchange(true)) released.wait();
            return system(0, length);
        });
}

StuckOpen::~StuckOpen() {
    release();
    platform::RestoreFileCalls();
}

void StuckOpen::release() {
    if (released_) return;
    released_ = true;
    release_.set_value();
}
