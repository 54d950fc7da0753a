#pragma once
// The runs this machine finished but could not write to the shared results
// file (the lock held past the question, the folder away, the disk full): each
// run's 44 bytes wait on the machine's own disk, in a file of their own per
// results file, and are moved to the end of the results file, in order, by the
// next append or start. Moving them is journalled in the same file: before
// the runs are written, the file notes where they go; the next mover finds
// there the runs that made it and moves only the others, so a process killed
// at any step leaves each run in the results file exactly once.

#include "records/ResultsIo.h"

#include <QByteArray>
#include <QString>

struct Folders;

// The folder of this machine that keeps the runs: the one configured, or the
// program's local data folder (outside any shared folder).
QString OutboxFolderOf(const Folders& folders);

// Where a mover has got to; tests stop it there the way a killed process does.
class OutboxSteps {
  public:
    enum class Step { Noted, Written, Synced, Cleared };
    virtual ~OutboxSteps() = default;
    virtual void reached(Step) {}
};

class Outbox {
  public:
    Outbox(const QString& folder, const QString& resultsPath);

    const QString& path() const { return path_; }
    // A quick look: whether any run waits (the file exists).
    bool holdsRuns() const;
    // The waiting runs' bytes, oldest first; those a cut-off move already
    // wrote are still among them until the next move.
    QByteArray runs() const;
    // Adds one run's 44 bytes, unless they already wait; on disk when it returns.
    void keep(const QByteArray& record) const;
    // With the results file's write lock held: writes the runs that still
    // wait, then record (none when empty), to the end of results, syncs it and
    // empties the outbox.
    void moveInto(const ResultsFileHandle& results, const QByteArray& record,
                  OutboxSteps& steps) const;

  private:
    struct Contents {
        qint64 movingTo = -1; // where a move began writing the runs, -1 when none did
        QByteArray runs;
    };
    Contents read() const;
    void write(const Contents& contents) const;
    void clear() const;

    QString path_;
};
