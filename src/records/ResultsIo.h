#pragma once
// Whole reads and writes on the results file and the files kept beside it
// (the safety copy, the intent file), each retried where the system
// interrupts it; every failure throws FileAccessError naming the file.

#include "core/Text.h"
#include "platform/File.h"

#include <QString>

#include <mutex>

inline const QString kResultsFileName = QStringLiteral("成績累積データ.dat");

// An open results file (or a file beside it), closed when it goes out of scope.
class ResultsFileHandle {
  public:
    // forWriting: read and write, created when absent; else read only.
    ResultsFileHandle(const QString& path, bool forWriting);
    ~ResultsFileHandle();
    ResultsFileHandle(const ResultsFileHandle&) = delete;
    ResultsFileHandle& operator=(const ResultsFileHandle&) = delete;

    const platform::File& file() const { return file_; }
    const QString& path() const { return path_; }
    qint64 size() const;

  private:
    QString path_;
    // The process's turn at these files, taken before the file opens and
    // given back after it closes: whole-file locks belong to a process, not
    // a thread, so a try left running on a worker (a drill's append on a
    // stuck server) and this thread would be granted each other's lock, and
    // closing a descriptor would drop the other's. Held by another thread
    // for more than a moment, it fails as a held file does (EAGAIN).
    std::unique_lock<std::recursive_timed_mutex> turn_;
    platform::File file_;
};

// "成績ファイル … を読み込みできません（…、エラー番号 n）。…" for the results
// file, the same without the heading for the files beside it.
[[noreturn]] void ThrowFileError(const QString& what, const QString& path, int errorNumber);

// Reads up to length bytes at offset; fewer only at the end of the file.
qint64 ReadUpTo(const ResultsFileHandle& file, char* buffer, qint64 length, qint64 offset);
// Reads exactly length bytes at offset; a file too short is an error (ENODATA).
void ReadExactly(const ResultsFileHandle& file, char* buffer, qint64 length, qint64 offset);
void WriteExactly(const ResultsFileHandle& file, const char* buffer, qint64 length, qint64 offset);
void SyncFile(const ResultsFileHandle& file);
// Makes the creation or removal of a file in the folder of path durable.
void SyncFolderOf(const QString& path);

using platform::LockKind;
// Locks the whole file, however far it grows: waits until granted, or with
// wait false returns false at once when another process holds it.
bool LockWholeFile(const ResultsFileHandle& file, LockKind kind, bool wait);
// The same, waiting in the system's queue of lockers (which hands the lock on
// as it is let go) for at most milliseconds; false when it is still held.
bool LockWholeFileWithin(const ResultsFileHandle& file, LockKind kind, int milliseconds);
void UnlockWholeFile(const ResultsFileHandle& file);

// The steps of a change or a deletion and of their repair besides plain
// writes (WriteExactly). Tests stop them part-way, the way a killed process
// or a power cut does, through the platform layer's call table.

// The first length bytes of source to the start of target.
void CopyFileStart(const ResultsFileHandle& source, const ResultsFileHandle& target, qint64 length);
void TruncateFile(const ResultsFileHandle& file, qint64 length);
// Removes the file (absent is fine) and makes that durable.
void RemoveDurably(const QString& path);
// Gives the file another name in the same folder (replacing nothing: a file
// already there under that name is an error) and makes that durable.
void RenameAside(const QString& from, const QString& to);
