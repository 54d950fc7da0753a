#include "ChildProcess.h"

#include "platform/Process.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcessEnvironment>

#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {
const QString kRoleVariable = QStringLiteral("DRILL_TEST_CHILD_ROLE");
const QString kArgumentsVariable = QStringLiteral("DRILL_TEST_CHILD_ARGUMENTS");
// Between arguments: a character no path or number contains.
const QChar kSeparator = QChar(0x1F);

QString CurrentTestName() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return QString::fromUtf8(test->test_suite_name()) + QLatin1Char('.') +
           QString::fromUtf8(test->name());
}
} // namespace

ChildProcess::ChildProcess(const QString& role, const QStringList& arguments,
                           const QStringList& command) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(kRoleVariable, role);
    environment.insert(kArgumentsVariable, arguments.join(kSeparator));
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const QString filter = QStringLiteral("--gtest_filter=") + CurrentTestName();
    if (command.isEmpty())
        process_.start(QCoreApplication::applicationFilePath(), {filter});
    else
        process_.start(command.first(), command.mid(1) << filter);
    process_.waitForStarted();
}

ChildProcess::~ChildProcess() {
    if (isRunning()) kill();
}

bool ChildProcess::waitForOutput(const QByteArray& text, int milliseconds) {
    const QDeadlineTimer deadline(milliseconds);
    while (!output_.contains(text)) {
        output_ += process_.readAllStandardOutput();
        if (output_.contains(text)) break;
        if (deadline.hasExpired() || process_.state() == QProcess::NotRunning) return false;
        process_.waitForReadyRead(int(qMin<qint64>(deadline.remainingTime(), 100)));
    }
    return true;
}

bool ChildProcess::isRunning() {
    // The state changes only when something waits on the process.
    if (process_.state() != QProcess::NotRunning) process_.waitForFinished(0);
    return process_.state() != QProcess::NotRunning;
}

int ChildProcess::finish(int milliseconds) {
    if (isRunning() && !process_.waitForFinished(milliseconds)) return -1;
    if (process_.exitStatus() != QProcess::NormalExit) return -1;
    return process_.exitCode();
}

void ChildProcess::kill() {
    process_.kill();
    process_.waitForFinished(30000);
}

void EndDescendantsWithThisProcess() {
#ifdef _WIN32
    // A job that ends its processes when its last handle closes, which the
    // system does when this process ends, however it ends. The handle is
    // kept open on purpose. Processes started later join the job by birth.
    const HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (job == nullptr) return;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits) ||
        !AssignProcessToJobObject(job, GetCurrentProcess()))
        CloseHandle(job);
#endif
    // On POSIX a killed child leaves nothing behind, and ~ChildProcess kills
    // one still running.
}

QString ChildRole() {
    return qEnvironmentVariable(qPrintable(kRoleVariable));
}

QStringList ChildArguments() {
    const QString joined = qEnvironmentVariable(qPrintable(kArgumentsVariable));
    return joined.isEmpty() ? QStringList{} : joined.split(kSeparator);
}

void TellParent(const char* text) {
    std::fputs(text, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void ExitChild(int code) {
    std::fflush(stdout);
    std::_Exit(code);
}

void CutPower() {
    platform::EndThisProcessAtOnce();
}
