// The table of file calls that tests override; the same on every system.
#include "platform/File.h"

#include <array>
#include <atomic>
#include <mutex>

namespace platform {
namespace {
constexpr int kFileCallCount = int(FileCall::SyncFolder) + 1;

struct CallTable {
    std::mutex mutex;
    std::array<FileCallOverride, kFileCallCount> overrides;
    std::atomic<int> overridden{0};
};

CallTable& Table() {
    static CallTable table;
    return table;
}
} // namespace

void OverrideFileCall(FileCall call, FileCallOverride override) {
    CallTable& table = Table();
    const std::lock_guard guard(table.mutex);
    FileCallOverride& entry = table.overrides[size_t(call)];
    table.overridden += (override ? 1 : 0) - (entry ? 1 : 0);
    entry = std::move(override);
}

void RestoreFileCalls() {
    for (int call = 0; call < kFileCallCount; ++call)
        OverrideFileCall(FileCall(call), {});
}

bool FileCallsOverridden() {
    return Table().overridden.load(std::memory_order_acquire) > 0;
}

int CallThroughTable(FileCall call, const QString& path, qint64 length,
                     const SystemFileCall& systemCall) {
    FileCallOverride override;
    {
        CallTable& table = Table();
        const std::lock_guard guard(table.mutex);
        override = table.overrides[size_t(call)];
    }
    return override ? override(path, length, systemCall) : systemCall(0, length);
}

} // namespace platform
