#pragma once
// What differs between Linux and Windows, behind one interface: the files the
// classroom shares (opening, whole-file locks, positioned reads and writes,
// syncing, truncating, renaming and removing them, syncing their folder) and
// the system's words for an error. platform/posix and platform/windows each
// implement all of it; nothing above this folder knows which one it runs on.
//
// Failures are the C library's error numbers (ENOENT, EACCES, EAGAIN, ENOSPC,
// ENOLCK, ...) on every system: the Windows layer translates its own codes,
// so the program decides the same way everywhere. 0 is success.

#include <QString>

#include <cstdint>
#include <functional>

namespace platform {

enum class LockKind { Shared, Exclusive };

// An open file, closed when it goes out of scope. Every call retries where
// the system interrupts it.
class File {
  public:
    enum class Access {
        Read,
        ReadWrite, // creates an absent file
    };

    File() = default;
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    [[nodiscard]] int open(const QString& path, Access access);
    bool isOpen() const;

    [[nodiscard]] int size(qint64& bytes) const;
    // Up to length bytes at offset; done is how many, fewer only at the end.
    [[nodiscard]] int readAt(char* buffer, qint64 length, qint64 offset, qint64& done) const;
    // All length bytes at offset.
    [[nodiscard]] int writeAt(const char* buffer, qint64 length, qint64 offset) const;
    // Returns once the file's bytes and length are on the disk (or the server's).
    [[nodiscard]] int sync() const;
    [[nodiscard]] int truncate(qint64 length) const;

    // Locks the whole file, however far it grows, against other processes
    // and machines. Without wait, granted is false (and the result 0) when
    // another holds it. Whole-file locks of the two systems see each other
    // on a shared folder.
    [[nodiscard]] int lock(LockKind kind, bool wait, bool& granted) const;
    // The same, waiting for at most milliseconds (in the system's queue of
    // lockers where it has one); granted false when another still holds it.
    [[nodiscard]] int lockWithin(LockKind kind, int milliseconds, bool& granted) const;
    void unlock() const;

    // The first length bytes of this file to the start of target, inside the
    // system where it can (ENOSYS where it cannot: the caller copies).
    [[nodiscard]] int copyInSystem(const File& target, qint64 length) const;

  private:
    std::intptr_t handle_ = -1;
    QString path_; // what the call table's overrides are told
};

// Removes the file; ENOENT when it was not there.
[[nodiscard]] int RemoveFile(const QString& path);
// Renames from to to, replacing to; durable once it returns.
[[nodiscard]] int ReplaceFile(const QString& from, const QString& to);
// Makes the creation, removal or renaming of a file in folder durable.
[[nodiscard]] int SyncFolder(const QString& folder);

// The system's text for an error number, in the user's language where the
// system has it: on Windows, the text of the code this thread last met that
// gave the number, so that a network failure is told in its own words.
QString ErrorText(int errorNumber);

// What an error number says of the file's server. A network failure (the
// server away, a lost connection, a timed-out call) passes: readers and
// writers wait it out. A Windows 10/11 PC serving the share refuses the
// connection past its twentieth machine (TooManyConnections).
enum class ErrorKind { Other, Network, TooManyConnections };
ErrorKind KindOfError(int errorNumber);
// The error number of one of the system's own codes (errno as it is, or a
// Windows code), as the calls above return it.
int ErrorNumberOf(unsigned long systemCode);

// Every call of this layer on a file, in one table that tests override the
// way a file server or a power cut misbehaves: a call fails, fails after it
// did its work (a reply lost after the write landed), blocks until released,
// or a write puts down only its first bytes. An override gets the file's
// path, a write's length (0 for the other calls) and the system's own call,
// and returns what the program is told.
enum class FileCall {
    Open,
    Size,
    Read,
    Write,
    Sync,
    Truncate,
    Lock,
    Copy,
    Remove,
    Replace,
    SyncFolder,
};
// The system's own call; a write's puts down its bytes from..from+count
// (the other calls ignore both).
using SystemFileCall = std::function<int(qint64 from, qint64 count)>;
using FileCallOverride =
    std::function<int(const QString& path, qint64 length, const SystemFileCall& systemCall)>;
// Puts override in call's entry (an empty one puts the system's call back).
void OverrideFileCall(FileCall call, FileCallOverride override);
void RestoreFileCalls();

// How the system layers make each call: through the table.
int CallThroughTable(FileCall call, const QString& path, qint64 length,
                     const SystemFileCall& systemCall);
bool FileCallsOverridden();
template <typename SystemCall>
int MakeFileCall(FileCall call, const QString& path, SystemCall&& systemCall) {
    if (!FileCallsOverridden()) return systemCall();
    return CallThroughTable(call, path, 0, [&](qint64, qint64) { return systemCall(); });
}
// A write of length bytes: systemWrite(from, count) puts down those of them.
template <typename SystemWrite>
int MakeFileWrite(const QString& path, qint64 length, SystemWrite&& systemWrite) {
    if (!FileCallsOverridden()) return systemWrite(0, length);
    return CallThroughTable(FileCall::Write, path, length, systemWrite);
}

} // namespace platform
