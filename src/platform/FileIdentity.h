#pragma once

#include <QString>
#include <optional>
#include <sys/types.h>

// Which file a path names at this moment. A file deleted, or put back by another of the same
// name, is another file, though a program that had the first one open still writes into it.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;

    // None where the path names no file.
    static std::optional<FileIdentity> Of(const QString& path);
    bool operator==(const FileIdentity&) const = default;
};
