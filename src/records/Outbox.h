#pragma once
// The runs this machine finished, on its own disk before any network call:
// the drill's end keeps each run here first (synced), then moves what waits
// to the end of the results file, in order, with this and every later append
// or start. Moving is journalled in the same file: before the runs are
// written, its header notes (synced) where they go and how many bytes they take; the
// next mover finds there, by their bytes, the runs that landed (a process
// killed midway, a server that lost its reply to a write it applied) and
// moves only the others, so each run is in the results file exactly once.

#include "records/ResultsIo.h"

#include <QByteArray>
#include <QString>

#include <vector>

struct Folders;

// The folder of this machine that keeps the runs: the one configured, or the
// program's local data folder (outside any shared folder).
QString OutboxFolderOf(const Folders& folders);

class Outbox {
  public:
    Outbox(const QString& folder, const QString& resultsPath);

    const QString& path() const { return path_; }
    // A quick look: whether any run waits (the file exists).
    bool holdsRuns() const;
    // The waiting runs' records, oldest first; those a cut-off move already
    // wrote are still among them until the next move.
    QByteArray runs() const;
    // Adds one run (its 44-byte record first, then its attempts' records),
    // unless it already waits; on disk when it returns.
    void keep(const QByteArray& run) const;
    // With the results file's write lock held: writes the attempts of the runs
    // that still wait to the attempt log beside results, then their records
    // and record (none when empty) to the end of results, syncs both and
    // empties the outbox.
    void moveInto(const ResultsFileHandle& results, const QByteArray& record) const;

  private:
    struct Contents {
        qint64 movingTo = -1;   // where a move began writing the runs, -1 when none did
        qint64 movingBytes = 0; // how many bytes of records it wrote there
        qint64 attemptsTo = -1; // the same for the attempts, in the attempt log
        qint64 attemptsBytes = 0;
        // Each run kept whole: its record first, then what rides along with it.
        std::vector<QByteArray> runs;
        qint64 end = 0;         // where the last whole run ends in the file
        bool firstForm = false; // kept by the release before, in its form
    };
    Contents read() const;
    void write(Contents& contents) const;
    void append(const platform::File& file, Contents& contents, const QByteArray& run) const;
    void clear(const platform::File& file) const;

    QString path_;
    QString attemptLogPath_;
};
