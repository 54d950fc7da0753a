#pragma once
// This process, as the system sees it.

#include <QString>

namespace platform {

enum class StandardStream { Output, Error };

// Writes text for a person to read: on a console window in its own characters
// whatever the system's code page, into a file or a pipe as UTF-8.
void WriteText(StandardStream stream, const QString& text);

// Whether the stream leads anywhere: a Windows program started from its
// icon has no standard error, so what it writes there nobody sees.
bool HasStream(StandardStream stream);

// Standard output passes bytes unchanged (Windows would turn each LF into
// CR LF), so a command writes the same bytes on every system.
void SetStandardOutputBinary();

// Ends this process at once, the way a power cut or a kill does: no handler,
// no destructor and no buffered output runs after it. The parent sees a crash.
[[noreturn]] void EndThisProcessAtOnce();

} // namespace platform
