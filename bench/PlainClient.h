#pragma once

// The benchmark's plain use of the Firebird client: attachments, the copied columns, blob copies
// and the figures of a copy, shared by the copies that measure against the program.

#include <firebird/Interface.h>

#include <chrono>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;

Firebird::IMaster* Master();

// SYSDBA's password on the loopback server (scripts/bench-copy starts it); the embedded engine
// asks for none.
std::string Password();

// The columns of MOVIMENTO every copy carries, in order.
inline constexpr char kCopyColumns[] = "ID, DESCRICAO, VALOR, MOMENTO, DATA_MOVIMENTO, OBSERVACAO";

double Seconds(Clock::time_point since);
// Processor time of the whole process, the embedded engine's threads included: less disturbed than
// the wall clock by other work on the machine.
double CpuSeconds();

struct CopyResult {
    long rows = 0;
    double seconds = 0;
    long commits = 0;
    double commitSeconds = 0;
    double cpuSeconds = 0;
    long rejected = 0;
};

// An embedded attachment through the plain client interface.
class Database {
public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void Create(const std::string& path, bool forcedWrites) { Connect(path, true, forcedWrites); }
    void Attach(const std::string& path) { Connect(path, false, true); }
    void Detach();
    void Drop();
    // Runs one statement in a transaction of its own.
    void Execute(const std::string& sql);

    Firebird::IAttachment* Attachment() { return attachment_; }
    Firebird::ThrowStatusWrapper* Status() { return &status_; }

private:
    void Connect(const std::string& path, bool create, bool forcedWrites);

    Firebird::ThrowStatusWrapper status_;
    Firebird::IProvider* provider_;
    Firebird::IAttachment* attachment_ = nullptr;
};

// Copies a blob's content into a new blob of the destination; a partial segment is still data.
void CopyBlob(Firebird::ThrowStatusWrapper* status, Firebird::IAttachment* from, Firebird::ITransaction* fromTransaction,
              Firebird::IAttachment* to, Firebird::ITransaction* toTransaction, ISC_QUAD* id, std::vector<char>& segment);
