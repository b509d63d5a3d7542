#pragma once

#include <QString>
#include <vector>

// Holds the table records, and the connections, for a load, a copy, a cleanup, a verification
// or a maintenance command on the destination while it runs. All process messages, so the user's
// commands run nested inside them: a load replaces every record and therefore waits for every
// other user of them; a copy or a cleanup only needs the records whole, so it waits for a load,
// and for a verification, whose rows it would change under it; a verification waits for
// everything else. The cleanup and the maintenance commands send their statements one at a time
// from a thread of their own: a copy, a cleanup or a maintenance command waits for them, rather
// than write beside them. A command that may not start ends with a message saying what is running.
class RecordsGuard {
public:
    enum Activity { Load, Copy, Cleanup, Verify, Maintenance };

    explicit RecordsGuard(Activity activity);
    ~RecordsGuard();
    RecordsGuard(const RecordsGuard&) = delete;
    RecordsGuard& operator=(const RecordsGuard&) = delete;

    // For commands that change marks: they wait until a running load has built every record.
    static void EnsureLoaded();
    static bool Running();

private:
    [[noreturn]] static void Refuse(Activity running);
    static std::vector<Activity>& Held();
};
