#pragma once
// A process of this same test binary that plays one part of a test: what must
// happen in a process of its own (appending beside others, holding a lock,
// being killed mid-write). It re-executes the binary with only the current
// test selected and a role in its environment, one way on every system; the
// test's body asks ChildRole() first and, in the child, plays its part and
// ends with ExitChild. A child runs its fixture's SetUp too, so what it must
// share with the parent (a file's path) travels in its arguments.

#include <QProcess>
#include <QString>
#include <QStringList>

class ChildProcess {
  public:
    // command, when given, is another build of this test binary (with the
    // program that runs it first: a Windows build under Wine); it runs the
    // same test.
    explicit ChildProcess(const QString& role, const QStringList& arguments = {},
                          const QStringList& command = {});
    ~ChildProcess(); // kills a child still running
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Waits until the child has printed text on its standard output.
    bool waitForOutput(const QByteArray& text, int milliseconds = 30000);
    bool isRunning();
    // Waits for the end: the exit code, or -1 when it crashed, was killed or
    // did not end in time.
    int finish(int milliseconds = 120000);
    // Ends it the way a power cut does: nothing of its own runs after.
    void kill();

  private:
    QProcess process_;
    QByteArray output_;
};

// Makes every process this test runner starts, and whatever those start in
// turn, end when the runner ends. Under Wine a child killed while it was
// starting leaves its console host behind, and that host keeps the runner's
// standard output open, so ctest would wait for it until its time-out.
// Called first by the runners' main.
void EndDescendantsWithThisProcess();

// In a child, the role and the arguments it was started with; in the test
// runner itself the role is empty.
QString ChildRole();
QStringList ChildArguments();
// Prints text on standard output at once, for the parent's waitForOutput.
void TellParent(const char* text);
// Ends the child at once with code, as _exit does: no destructor or fixture
// tear-down runs.
[[noreturn]] void ExitChild(int code);
// Ends the child the way a power cut does; its parent's finish() gives -1.
[[noreturn]] void CutPower();
