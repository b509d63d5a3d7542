// Copy benchmark: how fast rows go from one database to another through the data-access layer, the
// way the copy job moves them, and through the real copy job in the offscreen main window, against
// the fastest plain use of the Firebird client (one transaction, one prepared INSERT). Prints
// figures; it never fails on time.
//
//   bench_copy [rows] [--rounds=N] [--keep]
//   bench_copy --rejected=N [--keep]
//
// Makes, in a temporary folder, a source table of `rows` rows (default 500,000) and empty twins, then
// in each of N rounds (default 3) copies the source into one twin through the layer, into another
// through the window and into a third with plain client calls, then into three more with plain calls
// that read ahead on a thread, committing once at the end, once a second, and once a second beside
// the inserts on a second attachment (what the program's design can reach at best); compares the
// best round of each, and checks what arrived. Last, the window copies once more into a twin that already holds every tenth
// row, so a tenth of the rows are rejected and logged, into another such twin with "Enviar somente
// os registros que faltam", so that tenth is left where it is, and into a twin where it is stopped
// at half the rows and then imported again with that option. Before all that,
// "Verificar Dados" compares the source with a twin of the same rows, in a process of its own.
//
//   bench_copy [rows] --resume [--rounds=N] [--keep]
//
// With --resume, only the resumed copy, in each round against a full window copy of its own.
//
//   bench_copy [rows] --server [--rounds=N] [--keep]
//
// With --server, only the plain copy and the window's copies through the server.
//
// With --rejected=N, only the memory a long log takes: the window copies a source of N + 1 rows into
// an empty twin and into one that holds all of them but the last, so N rows are refused, each copy in
// a process of its own; prints how much more memory the second took at its peak.

#include "DelayRelay.h"
#include "PlainClient.h"
#include "PlainCopy.h"
#include "ResumeCopy.h"
#include "WindowCopy.h"
#include "platform/EDatabaseError.h"
#include "platform/TClientDataSet.h"
#include "platform/TDataSetProvider.h"
#include "platform/TSQLConnection.h"
#include "platform/TSQLDataSet.h"
#include "platform/TSQLTransaction.h"
#include "shell/TFPrincipal.h"

#include <QApplication>
#include <firebird/Interface.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace Firebird;

namespace {

const char kTable[] =
    "CREATE TABLE MOVIMENTO ("
    " ID BIGINT NOT NULL PRIMARY KEY,"
    " DESCRICAO VARCHAR(60) CHARACTER SET WIN1252,"
    " VALOR NUMERIC(18,4),"
    " MOMENTO TIMESTAMP,"
    " DATA_MOVIMENTO DATE,"
    " OBSERVACAO BLOB SUB_TYPE TEXT CHARACTER SET WIN1252)";

// Text in WIN1252 bytes ("Informática São João – nº", "Observação"), a negative half of the
// amounts, times to 1/10000 s, dates back to 1850, and a text blob on one row in ten.
// Only the rows for which `only` holds, when it is given.
std::string FillStatement(long rows, const std::string& only = "TRUE") {
    return "EXECUTE BLOCK AS DECLARE I BIGINT = 1; BEGIN"
           " WHILE (I <= " + std::to_string(rows) + ") DO BEGIN"
           " IF (" + only + ") THEN INSERT INTO MOVIMENTO VALUES (:I,"
           " 'Inform\xE1tica S\xE3o Jo\xE3o \x96 n\xBA ' || :I,"
           " CAST(:I * 7919 - 2000000000 AS NUMERIC(18,4)) / 10000,"
           " DATEADD(:I * 1234 MILLISECOND TO TIMESTAMP '2020-01-01 00:00:00.0001'),"
           " DATEADD(MOD(:I, 60000) DAY TO DATE '1850-01-01'),"
           " IIF(MOD(:I, 10) = 0, RPAD('Observa\xE7\xE3o do movimento ' || :I || ': ', 400, 'a\xE7\xE3o '), NULL));"
           " I = I + 1; END END";
}

std::string ErrorText(const FbException& error) {
    char text[2048];
    Master()->getUtilInterface()->formatStatus(text, sizeof text, error.getStatus());
    return text;
}

// The first row of a query whose columns are all VARCHAR, joined by " | ".
std::string QueryText(Database& db, const std::string& sql) {
    ThrowStatusWrapper* status = db.Status();
    ITransaction* transaction = db.Attachment()->startTransaction(status, 0, nullptr);
    IStatement* statement = db.Attachment()->prepare(status, transaction, 0, sql.c_str(), 3, 0);
    IMessageMetadata* meta = statement->getOutputMetadata(status);
    std::vector<unsigned char> buffer(meta->getMessageLength(status));
    IResultSet* cursor = statement->openCursor(status, transaction, nullptr, nullptr, meta, 0);
    std::string text;
    if (cursor->fetchNext(status, buffer.data()) == IStatus::RESULT_OK) {
        for (unsigned i = 0; i < meta->getCount(status); ++i) {
            if (i) text += " | ";
            if (*reinterpret_cast<short*>(&buffer[meta->getNullOffset(status, i)])) {
                text += "NULL";
                continue;
            }
            const unsigned char* value = &buffer[meta->getOffset(status, i)];
            unsigned short length;
            std::memcpy(&length, value, sizeof length);
            text.append(reinterpret_cast<const char*>(value + 2), length);
        }
    }
    cursor->close(status);
    statement->free(status);
    meta->release();
    transaction->commit(status);
    return text;
}

// What a copy must carry over, summed so that one row out of place shows.
std::string Fingerprint(const std::string& path) {
    Database db;
    db.Attach(path);
    const std::string text = QueryText(
        db,
        "SELECT CAST(COUNT(*) AS VARCHAR(30)), CAST(SUM(ID) AS VARCHAR(30)),"
        " CAST(SUM(MOD(HASH(DESCRICAO), 1000000007)) AS VARCHAR(30)), CAST(SUM(VALOR) AS VARCHAR(40)),"
        " CAST(SUM(DATEDIFF(MILLISECOND FROM TIMESTAMP '2020-01-01' TO MOMENTO)) AS VARCHAR(30)),"
        " CAST(SUM(EXTRACT(MILLISECOND FROM MOMENTO) * 10) AS VARCHAR(30)),"
        " CAST(SUM(DATEDIFF(DAY FROM DATE '1800-01-01' TO DATA_MOVIMENTO)) AS VARCHAR(30)),"
        " CAST(COUNT(OBSERVACAO) AS VARCHAR(30)), CAST(SUM(OCTET_LENGTH(OBSERVACAO)) AS VARCHAR(30)),"
        " CAST(SUM(MOD(HASH(OBSERVACAO), 1000000007)) AS VARCHAR(30))"
        " FROM MOVIMENTO");
    db.Detach();
    return text;
}

// A tenth of the source's rows, already in a destination: one in ten of them with a blob, as in
// the whole table (a row refused after its blob was written costs the server far more than one
// without).
std::string AlreadyThere(const std::string& key) {
    return "MOD(" + key + ", 10) = 3 AND MOD(" + key + ", 100) <> 3 OR MOD(" + key + ", 100) = 0";
}

// Makes the source, the twin that holds the same rows (for the verification; none when empty), the
// empty twins and the twin that holds already the rows for which `only` holds. Runs in a child
// process, so that the memory it takes does not count in the figures of the copies.
void MakeDatabases(long rows, const std::string& source, const std::string& same,
                   const std::vector<std::string>& twins, const std::string& prefilled, const std::string& only) {
    for (const std::string& full : {source, same}) {
        if (full.empty()) continue;
        Database db;
        db.Create(full, false);
        db.Execute(kTable);
        db.Execute(FillStatement(rows));
        db.Detach();
    }
    for (const std::string& twin : twins) {
        Database db;
        db.Create(twin, true);
        db.Execute(kTable);
        if (twin == prefilled) db.Execute(FillStatement(rows, only));
        db.Detach();
    }
}

// Ends a forked child: its Firebird engine first, so that no engine thread outlives the process.
[[noreturn]] void EndChild(int code) {
    ThrowStatusWrapper status(Master()->getStatus());
    Master()->getDispatcher()->shutdown(&status, 0, fb_shutrsn_app_stopped);
    std::fflush(stdout);
    std::fflush(stderr);
    _exit(code);
}

bool MakeDatabasesApart(long rows, const std::string& source, const std::string& same,
                        const std::vector<std::string>& twins, const std::string& prefilled,
                        const std::string& only = AlreadyThere("I")) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        int code = 0;
        try {
            MakeDatabases(rows, source, same, twins, prefilled, only);
        } catch (const FbException& error) {
            std::fprintf(stderr, "making the databases: %s\n", ErrorText(error).c_str());
            code = 1;
        }
        EndChild(code);
    }
    int result = 0;
    waitpid(child, &result, 0);
    return WIFEXITED(result) && WEXITSTATUS(result) == 0;
}

// The source and its empty twins, made apart; then the system writes them out, which would
// otherwise slow the first copy's commits.
void MakeSourceAndTwins(long rows, const std::string& source, const std::vector<std::string>& twins,
                        const std::filesystem::path& folder) {
    std::printf("Making a source of %ld rows (a text blob on one row in ten) in %s\n", rows, folder.c_str());
    if (!MakeDatabasesApart(rows, source, "", twins, "")) throw std::runtime_error("could not make the databases");
    sync();
}

CopyResult Fastest(const std::vector<CopyResult>& runs) {
    return *std::min_element(runs.begin(), runs.end(),
                             [](const CopyResult& a, const CopyResult& b) { return a.seconds < b.seconds; });
}

// The copy job's way: both sides through the layer, the source fetched on demand, each row appended
// field by field and applied at once in the copy's own transaction, committed about once a second
// and at the end. Only the first `limit` rows when one is given.
CopyResult CopyThroughLayer(const std::string& source, const std::string& destination, long limit = -1) {
    CopyResult result;
    const auto start = Clock::now();
    const double cpuStart = CpuSeconds();

    TSQLConnection SQLConnection;
    SQLConnection.Params.SetValue(QStringLiteral("Database"), QString::fromStdString(source));
    SQLConnection.Open();
    TSQLConnection SQLConnectionDestino;
    SQLConnectionDestino.Params.SetValue(QStringLiteral("Database"), QString::fromStdString(destination));
    SQLConnectionDestino.Open();
    {
        TSQLDataSet SQLDSOrigem(&SQLConnection);
        SQLDSOrigem.SetCommandText(QStringLiteral("SELECT %1 FROM MOVIMENTO").arg(QLatin1String(kCopyColumns)));
        TDataSetProvider DSPOrigem(&SQLDSOrigem);
        TClientDataSet CDSOrigem(&DSPOrigem);
        CDSOrigem.FetchOnDemand = true;

        TSQLDataSet SQLDSDestino(&SQLConnectionDestino);
        SQLDSDestino.SetCommandText(QStringLiteral("SELECT %1 FROM MOVIMENTO").arg(QLatin1String(kCopyColumns)));
        TDataSetProvider DSPDestino(&SQLDSDestino);
        TClientDataSet CDSDestino(&DSPDestino);
        CDSDestino.PacketRecords = 0;
        CDSDestino.OnReconcileError = [&](TClientDataSet&, const EDatabaseError& error, TUpdateKind,
                                          TReconcileAction& action) {
            if (result.rejected++ == 0) std::fprintf(stderr, "rejected: %s\n", error.what());
            action = TReconcileAction::raCancel;
        };

        TSQLTransaction copying(&SQLConnectionDestino);
        CDSDestino.Transaction = &copying;
        CDSOrigem.Open();
        CDSDestino.Open();
        auto lastCommit = Clock::now();
        for (CDSOrigem.First(); !CDSOrigem.Eof() && result.rows != limit; CDSOrigem.Next()) {
            CDSDestino.Append();
            for (int i = 0; i < CDSOrigem.FieldCount(); ++i) {
                TField* field = CDSOrigem.Fields(i);
                CDSDestino.FieldByName(field->FieldName())->SetValue(field->Value());
            }
            CDSDestino.Post();
            CDSDestino.ApplyUpdates(-1);
            ++result.rows;
            if (Clock::now() - lastCommit >= std::chrono::seconds(1)) {
                const auto committing = Clock::now();
                copying.CommitRetaining();
                result.commitSeconds += Seconds(committing);
                ++result.commits;
                lastCommit = Clock::now();
            }
        }
        copying.Commit();
        ++result.commits;
        CDSDestino.Close();
        CDSOrigem.Close();
    }
    SQLConnectionDestino.Close();
    SQLConnection.Close();
    result.seconds = Seconds(start);
    result.cpuSeconds = CpuSeconds() - cpuStart;
    return result;
}

struct VerifyFigures {
    double seconds = 0;   // the best round
    double peakRssMb = 0;
    bool equal = true;    // every round found every row equal
};

// "Verificar Dados" in the offscreen window, source against its equal twin, best of the rounds. Runs
// in a child process of its own, started before this one starts Qt, so that the peak memory is
// the verification's alone and no copy's.
bool VerifyApart(const std::string& source, const std::string& same, int rounds, const std::string& logFolder,
                 VerifyFigures& figures) {
    int channel[2];
    if (pipe(channel) != 0) return false;
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        VerifyFigures found;
        found.seconds = 1e300;
        int code = 0;
        try {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            int qtArgc = 1;
            char name[] = "bench_copy";
            char* qtArgv[] = {name, nullptr};
            QApplication application(qtArgc, qtArgv);
            for (int round = 0; round < rounds; ++round) {
                const WindowVerify verify = VerifyThroughWindow(source, same, logFolder);
                std::printf("verify round %d of %d: %.2f s; %s\n", round + 1, rounds, verify.seconds, verify.line.c_str());
                found.seconds = std::min(found.seconds, verify.seconds);
                found.equal = found.equal && verify.equal;
            }
            found.peakRssMb = PeakRssMb();
        } catch (const std::exception& error) {
            std::fprintf(stderr, "verifying: %s\n", error.what());
            code = 1;
        }
        if (write(channel[1], &found, sizeof found) != ssize_t(sizeof found)) code = 1;
        EndChild(code);
    }
    close(channel[1]);
    const bool read = ::read(channel[0], &figures, sizeof figures) == ssize_t(sizeof figures);
    close(channel[0]);
    int result = 0;
    waitpid(child, &result, 0);
    return read && WIFEXITED(result) && WEXITSTATUS(result) == 0;
}

void PrintWindowCopy(const char* what, const WindowCopy& copy) {
    std::printf("%s\n    %lld rows in %.2f s = %.0f rows/s; processor %.2f s; %lld rejected, %ld log lines\n"
                "    longest gap between message processings %.0f ms; %.0f ms before the first (opening the table),"
                " %.0f ms after the last (the last rows, the refresh)\n",
                what, copy.inserted, copy.seconds, copy.inserted / copy.seconds, copy.cpuSeconds, copy.rejected,
                copy.logLines, copy.longestGapMs, copy.leadInMs, copy.tailMs);
}

void PrintCopy(const char* what, const CopyResult& copy) {
    std::printf("%s\n    %ld rows in %.2f s = %.0f rows/s; processor %.2f s; %ld commits taking %.2f s\n", what,
                copy.rows, copy.seconds, copy.rows / copy.seconds, copy.cpuSeconds, copy.commits, copy.commitSeconds);
}

// A hundredth of the source's rows, already in a destination, a tenth of them with a blob.
const char kOnePercentThere[] = "MOD(I, 100) = 3 AND MOD(I, 1000) <> 3 OR MOD(I, 1000) = 0";

// The benchmark's databases on the loopback server: made through it, so that their files belong
// to the user it runs as, and dropped at the end.
class ServerDatabases {
public:
    ServerDatabases(std::string folder, long rows) : folder_(std::move(folder)), rows_(rows) {}
    ~ServerDatabases() {
        for (const std::string& path : made_) {
            try {
                Database db;
                db.Attach(path);
                db.Drop();
            } catch (const FbException& error) {
                std::fprintf(stderr, "could not drop %s: %s\n", path.c_str(), ErrorText(error).c_str());
            }
        }
    }

    // An empty twin, or one holding the source's rows for which `only` holds; returns its path
    // on the server's machine.
    std::string Make(const std::string& name, const std::string& only = {}) {
        const std::string path = folder_ + "/vendrasol-bench-" + std::to_string(getpid()) + "-" + name + ".fdb";
        Database db;
        db.Create("localhost:" + path, true);
        made_.push_back("localhost:" + path);
        db.Execute(kTable);
        if (!only.empty()) db.Execute(FillStatement(rows_, only));
        db.Detach();
        return path;
    }

private:
    std::string folder_;
    long rows_;
    std::vector<std::string> made_;
};

// The time one statement takes to go to the server and back, averaged: what the relay adds shows
// against loopback.
double RoundTripMs(const std::string& path) {
    Database db;
    db.Attach(path);
    ThrowStatusWrapper* status = db.Status();
    ITransaction* transaction = db.Attachment()->startTransaction(status, 0, nullptr);
    IStatement* statement = db.Attachment()->prepare(
        status, transaction, 0, "UPDATE RDB$DATABASE SET RDB$DESCRIPTION = NULL WHERE 1 = 0", 3, 0);
    constexpr int trips = 2000;
    const auto start = Clock::now();
    for (int i = 0; i < trips; ++i) statement->execute(status, transaction, nullptr, nullptr, nullptr, nullptr);
    const double ms = Seconds(start) * 1000 / trips;
    statement->free(status);
    transaction->commit(status);
    db.Detach();
    return ms;
}

struct ServerFigures {
    WindowCopy loopback, delayed, rejecting;
    CopyResult perRowLoopback, perRowDelayed;
    long expectedRejected = 0;
    bool logged = true;   // in every round, each rejected row logged once
    bool same = true;
};

bool EachLoggedOnce(const WindowCopy& copy, long expected) {
    return copy.rejected == expected && copy.rejectedLines == expected && copy.distinctRejectedLines == expected;
}

double Pace(const WindowCopy& copy) { return double(copy.inserted + copy.rejected) / copy.seconds; }

// Runs one window copy in a child process of its own, with its own application, so that its peak
// memory is its alone. Empty when the copy failed.
std::optional<WindowCopy> CopyThroughWindowApart(char* program, const std::string& source, const std::string& destination,
                                                 const std::string& logFolder) {
    static_assert(std::is_trivially_copyable_v<WindowCopy>);
    int channel[2];
    if (pipe(channel) != 0) return std::nullopt;
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        int code = 1;
        {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            int qtArgc = 1;
            char* qtArgv[] = {program, nullptr};
            QApplication application(qtArgc, qtArgv);
            const WindowCopy copy = CopyThroughWindow(source, destination, logFolder);
            if (write(channel[1], &copy, sizeof copy) == ssize_t(sizeof copy)) code = 0;
        }
        EndChild(code);
    }
    close(channel[1]);
    WindowCopy copy;
    const bool got = read(channel[0], &copy, sizeof copy) == ssize_t(sizeof copy);
    close(channel[0]);
    int result = 0;
    waitpid(child, &result, 0);
    if (!got || !WIFEXITED(result) || WEXITSTATUS(result) != 0) return std::nullopt;
    return copy;
}

// The memory a long log takes: a clean window copy of a source of rejected + 1 rows, against one into
// a destination that holds all of them but the last.
bool MeasureRejected(char* program, long rejected, const std::filesystem::path& folder) {
    const std::string source = (folder / "origem.fdb").string();
    const std::string clean = (folder / "destino-limpo.fdb").string();
    const std::string full = (folder / "destino-cheio.fdb").string();
    std::printf("Making a source of %ld rows and a destination that holds all of them but the last, in %s\n",
                rejected + 1, folder.c_str());
    if (!MakeDatabasesApart(rejected + 1, source, "", {clean, full}, full, "I <= " + std::to_string(rejected)))
        throw std::runtime_error("could not make the databases");
    sync();
    const std::optional<WindowCopy> cleanCopy = CopyThroughWindowApart(program, source, clean, folder.string());
    if (!cleanCopy) throw std::runtime_error("the clean copy failed");
    PrintWindowCopy("window, clean copy", *cleanCopy);
    const std::optional<WindowCopy> refusing = CopyThroughWindowApart(program, source, full, folder.string());
    if (!refusing) throw std::runtime_error("the copy with refused rows failed");
    PrintWindowCopy("window, every row but the last refused", *refusing);

    const bool logged = EachLoggedOnce(*refusing, rejected);
    std::printf("rejected rows: %lld of %ld expected, %ld lines in the log file, %ld distinct: %s\n", refusing->rejected,
                rejected, refusing->rejectedLines, refusing->distinctRejectedLines,
                logged ? "each logged once" : "NOT each logged once");
    std::printf("opening the \"Log\" tab: %.0f ms after the clean copy, %.0f ms after the refused rows\n",
                cleanCopy->logTabMs, refusing->logTabMs);
    std::printf("peak RSS: %.0f MB with the clean copy, %.0f MB with the refused rows\n", cleanCopy->peakRssMb,
                refusing->peakRssMb);
    std::printf("peak RSS with %ld rejected rows: %.0f MB above a clean copy\n", rejected,
                refusing->peakRssMb - cleanCopy->peakRssMb);
    return logged && cleanCopy->inserted == rejected + 1 && refusing->inserted == 1;
}

void PrintResume(const ResumeCopy& resume, const WindowCopy& full) {
    PrintWindowCopy("window, stopped at half", resume.stopped);
    PrintWindowCopy("window, imported again sending only the missing rows", resume.resumed);
    std::printf("rejected lines in the log of the second import: %ld\n", resume.resumed.rejectedLines);
    std::printf("ratio resume half/full: %.2f by the clock\n", resume.resumed.seconds / full.seconds);
}

// In each round, a full window copy and a copy stopped at half then resumed, each into a twin of its
// own; every resumed twin must then match the source.
bool MeasureResume(char** argv, long rows, int rounds, const std::filesystem::path& folder) {
    const std::string source = (folder / "origem.fdb").string();
    std::vector<std::string> full, halfway;
    for (int round = 0; round < rounds; ++round) {
        full.push_back((folder / ("destino-inteiro-" + std::to_string(round) + ".fdb")).string());
        halfway.push_back((folder / ("destino-retomado-" + std::to_string(round) + ".fdb")).string());
    }
    std::vector<std::string> twins = full;
    twins.insert(twins.end(), halfway.begin(), halfway.end());
    MakeSourceAndTwins(rows, source, twins, folder);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    bool ok = true;
    const std::string expected = Fingerprint(source);
    for (int round = 0; round < rounds; ++round) {
        std::printf("round %d of %d\n", round + 1, rounds);
        const WindowCopy whole = CopyThroughWindow(source, full[size_t(round)], folder.string());
        PrintWindowCopy("window, full copy", whole);
        const ResumeCopy resume = ResumeThroughWindow(source, halfway[size_t(round)], folder.string(), rows);
        PrintResume(resume, whole);
        const bool same = Fingerprint(halfway[size_t(round)]) == expected;
        std::printf("resumed destination matches the source: %s\n", same ? "yes" : "NO");
        ok = ok && same && resume.resumed.rejectedLines == 0 && resume.resumed.rejected == 0;
    }
    return ok;
}

// The window copies the source into twins on the server: straight over loopback, through a relay
// that holds each direction 0.25 ms (a 0.5 ms round trip), and at 0.5 ms into a twin that holds a
// hundredth of the rows already, best of the rounds for each. The layer, applying each row at
// once as the copy did before it sent blocks, gives the per-row pace on a slice of the rows.
ServerFigures CopyThroughServer(const std::string& source, long rows, int rounds, const std::string& logFolder) {
    const char* dir = std::getenv("VENDRASOL_SERVER_DIR");
    ServerDatabases databases(dir && *dir ? dir : "/var/lib/firebird/3.0/data", rows);
    DelayRelay relay(3050, std::chrono::microseconds(250));
    const std::string direct = "localhost:";
    const std::string delayed = "127.0.0.1/" + std::to_string(relay.Port()) + ":";
    // The window's connections take SYSDBA's password from the environment.
    qputenv("ISC_PASSWORD", QByteArray::fromStdString(Password()));
    const std::string expected = Fingerprint(source);
    ServerFigures figures;
    {
        const std::string path = databases.Make("round-trip");
        std::printf("round trip of one statement: loopback %.3f ms, through the relay %.3f ms\n",
                    RoundTripMs(direct + path), RoundTripMs(delayed + path));
    }
    auto check = [&](const std::string& path) { figures.same = Fingerprint(direct + path) == expected && figures.same; };
    auto faster = [](const WindowCopy& a, const WindowCopy& b) { return b.seconds == 0 || a.seconds < b.seconds; };
    for (int round = 0; round < rounds; ++round) {
        std::printf("server round %d of %d\n", round + 1, rounds);
        std::string path = databases.Make("loopback-" + std::to_string(round));
        const WindowCopy loopback = CopyThroughWindow(source, direct + path, logFolder);
        PrintWindowCopy("window, destination localhost:/path", loopback);
        check(path);
        if (faster(loopback, figures.loopback)) figures.loopback = loopback;
        path = databases.Make("delayed-" + std::to_string(round));
        const WindowCopy slow = CopyThroughWindow(source, delayed + path, logFolder);
        PrintWindowCopy("window, destination localhost:/path through the 0.5 ms relay", slow);
        check(path);
        if (faster(slow, figures.delayed)) figures.delayed = slow;
        path = databases.Make("rejected-" + std::to_string(round), kOnePercentThere);
        {
            Database db;
            db.Attach(direct + path);
            figures.expectedRejected = std::stol(QueryText(db, "SELECT CAST(COUNT(*) AS VARCHAR(20)) FROM MOVIMENTO"));
            db.Detach();
        }
        const WindowCopy refusing = CopyThroughWindow(source, delayed + path, logFolder);
        PrintWindowCopy("window, 0.5 ms relay, 1% of the keys already there", refusing);
        check(path);
        figures.logged = EachLoggedOnce(refusing, figures.expectedRejected) && figures.logged;
        if (faster(refusing, figures.rejecting)) figures.rejecting = refusing;
    }
    figures.perRowLoopback = CopyThroughLayer(source, direct + databases.Make("per-row-loopback"), std::min(rows, 20000L));
    PrintCopy("layer, one INSERT a round trip, localhost:/path", figures.perRowLoopback);
    figures.perRowDelayed = CopyThroughLayer(source, delayed + databases.Make("per-row-delayed"), std::min(rows, 5000L));
    PrintCopy("layer, one INSERT a round trip, 0.5 ms relay", figures.perRowDelayed);
    return figures;
}

// The window's copies through the server, against the plain embedded copy of the same run.
bool CompareThroughServer(const std::string& source, long rows, int rounds, const std::filesystem::path& folder,
                          const CopyResult& ceiling) {
    std::printf("\nthrough the Firebird server on loopback, beside the plain copy of %.0f rows/s\n",
                ceiling.rows / ceiling.seconds);
    const ServerFigures server = CopyThroughServer(source, rows, rounds, folder.string());
    std::printf("\nbest rounds: remote loopback %.0f rows/s, remote 0.5ms %.0f rows/s; 1%% rejected %.0f rows/s\n",
                Pace(server.loopback), Pace(server.delayed), Pace(server.rejecting));
    std::printf("one INSERT a round trip: loopback %.0f rows/s, 0.5 ms %.0f rows/s\n",
                server.perRowLoopback.rows / server.perRowLoopback.seconds,
                server.perRowDelayed.rows / server.perRowDelayed.seconds);
    std::printf("ratio remote loopback/plain: %.2f by the clock\n", ceiling.seconds / server.loopback.seconds);
    std::printf("ratio remote 0.5ms/plain: %.2f by the clock\n", ceiling.seconds / server.delayed.seconds);
    std::printf("ratio remote 0.5ms 1%% rejected/plain: %.2f by the clock\n",
                ceiling.seconds / server.rejecting.seconds);
    std::printf("longest gap between message processings through the server: %.0f ms\n",
                std::max({server.loopback.longestGapMs, server.delayed.longestGapMs, server.rejecting.longestGapMs}));
    const WindowCopy& rejecting = server.rejecting;
    std::printf("rejected rows: %lld of %ld expected, %ld log lines, %ld distinct: %s\n", rejecting.rejected,
                server.expectedRejected, rejecting.rejectedLines, rejecting.distinctRejectedLines,
                server.logged ? "each logged once" : "NOT each logged once");
    std::printf("server destinations match the source: %s\n", server.same ? "yes" : "NO");
    return server.logged && server.same;
}

// Only the plain embedded copy, in rounds, and the window's copies through the server against it.
bool MeasureServer(char** argv, long rows, int rounds, const std::filesystem::path& folder) {
    if (!std::getenv("VENDRASOL_SERVER_PASSWORD")) throw std::runtime_error("VENDRASOL_SERVER_PASSWORD is not set");
    const std::string source = (folder / "origem.fdb").string();
    std::vector<std::string> plain;
    for (int round = 0; round < rounds; ++round)
        plain.push_back((folder / ("destino-direto-" + std::to_string(round) + ".fdb")).string());
    MakeSourceAndTwins(rows, source, plain, folder);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    std::vector<CopyResult> plainRuns;
    for (const std::string& twin : plain) {
        plainRuns.push_back(CopyPlain(source, twin));
        PrintCopy("plain: one transaction, one prepared INSERT", plainRuns.back());
    }
    const CopyResult ceiling = Fastest(plainRuns);
    return CompareThroughServer(source, rows, rounds, folder, ceiling);
}

// Only the window's copy and the plain one, in turns: the main ratio in a minute or two.
bool MeasureWindow(char** argv, long rows, int rounds, const std::filesystem::path& folder) {
    const std::string source = (folder / "origem.fdb").string();
    std::vector<std::string> twins;
    for (int round = 0; round < rounds; ++round)
        for (const char* name : {"janela", "direto"})
            twins.push_back((folder / ("destino-" + std::string(name) + "-" + std::to_string(round) + ".fdb")).string());
    MakeSourceAndTwins(rows, source, twins, folder);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    std::vector<CopyResult> plainRuns;
    std::vector<WindowCopy> windowRuns;
    for (int round = 0; round < rounds; ++round) {
        windowRuns.push_back(CopyThroughWindow(source, twins[2 * size_t(round)], folder.string()));
        PrintWindowCopy("window: \"Importar Dados\" in the offscreen main window", windowRuns.back());
        plainRuns.push_back(CopyPlain(source, twins[2 * size_t(round) + 1]));
        PrintCopy("plain: one transaction, one prepared INSERT", plainRuns.back());
    }
    const CopyResult ceiling = Fastest(plainRuns);
    const WindowCopy window = *std::min_element(
        windowRuns.begin(), windowRuns.end(), [](const WindowCopy& a, const WindowCopy& b) { return a.seconds < b.seconds; });
    std::printf("ratio window/plain: %.2f by the clock\n", ceiling.seconds / window.seconds);
    std::printf("ratio window/plain by processor time: %.2f\n", ceiling.cpuSeconds / window.cpuSeconds);
    return true;
}

// The copies side by side: the layer, the window and plain client calls, in rounds, then the window
// into a destination holding a tenth of the rows and, with the server running, the copies through it.
bool CompareCopies(char** argv, long rows, int rounds, const std::filesystem::path& folder) {
    const std::string source = (folder / "origem.fdb").string();
    std::vector<std::string> throughLayer, throughWindow, plain, ahead, committing, beside, twins;
    for (int round = 0; round < rounds; ++round) {
        for (auto [paths, name] : {std::pair{&throughLayer, "camada"}, {&throughWindow, "janela"}, {&plain, "direto"},
                                   {&ahead, "adiante"}, {&committing, "adiante-confirmando"},
                                   {&beside, "adiante-confirmando-ao-lado"}}) {
            paths->push_back((folder / ("destino-" + std::string(name) + "-" + std::to_string(round) + ".fdb")).string());
            twins.push_back(paths->back());
        }
    }
    const std::string prefilled = (folder / "destino-janela-rejeitadas.fdb").string();
    twins.push_back(prefilled);
    const std::string halfway = (folder / "destino-retomado.fdb").string();
    twins.push_back(halfway);
    const std::string twinOfSameRows = (folder / "destino-igual.fdb").string();
    bool ok = true;
    std::printf("Making a source of %ld rows (a text blob on one row in ten) in %s\n", rows, folder.c_str());
    const auto making = Clock::now();
    if (!MakeDatabasesApart(rows, source, twinOfSameRows, twins, prefilled))
        throw std::runtime_error("could not make the databases");
    // The new source is still being written out by the system; left alone, that writing would
    // slow the copy's first commits.
    sync();
    std::printf("made in %.1f s\n\n", Seconds(making));
    // The same tenth of the rows, for the copy that leaves them where they are.
    const std::string prefilledResumed = (folder / "destino-janela-presentes.fdb").string();
    std::filesystem::copy_file(prefilled, prefilledResumed);
    // And for the plain copy of the missing rows alone.
    const std::string prefilledPlain = (folder / "destino-direto-faltantes.fdb").string();
    std::filesystem::copy_file(prefilled, prefilledPlain);

    VerifyFigures verify;
    if (!VerifyApart(source, twinOfSameRows, rounds, folder.string(), verify)) throw std::runtime_error("could not verify");

    // The machine's other work makes single runs vary by a third: the two ways take turns, and
    // each is judged by its best round.
    // The window needs the application; it comes after the fork that made the databases.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    std::vector<CopyResult> layerRuns, plainRuns, aheadRuns, committingRuns, besideRuns;
    std::vector<WindowCopy> windowRuns;
    double layerRss = 0, windowRss = 0;
    for (int round = 0; round < rounds; ++round) {
        std::printf("round %d of %d\n", round + 1, rounds);
        layerRuns.push_back(CopyThroughLayer(source, throughLayer[size_t(round)]));
        layerRss = std::max(layerRss, PeakRssMb());
        PrintCopy("layer: field-by-field append, apply per row, commit about once a second", layerRuns.back());
        windowRuns.push_back(CopyThroughWindow(source, throughWindow[size_t(round)], folder.string()));
        windowRss = std::max(windowRss, PeakRssMb());
        PrintWindowCopy("window: \"Importar Dados\" in the offscreen main window", windowRuns.back());
        plainRuns.push_back(CopyPlain(source, plain[size_t(round)]));
        PrintCopy("plain: one transaction, one prepared INSERT", plainRuns.back());
        aheadRuns.push_back(CopyPlainAhead(source, ahead[size_t(round)], AheadCommits::AtTheEnd));
        PrintCopy("bound: plain calls, the rows read ahead on a thread, one commit", aheadRuns.back());
        committingRuns.push_back(CopyPlainAhead(source, committing[size_t(round)], AheadCommits::EverySecond));
        PrintCopy("bound: plain calls, the rows read ahead on a thread, a commit once a second", committingRuns.back());
        besideRuns.push_back(CopyPlainAhead(source, beside[size_t(round)], AheadCommits::EverySecondBeside));
        PrintCopy("bound: plain calls, the rows read ahead on a thread, a commit once a second beside the inserts "
                  "(commits: the time the inserts waited for one)",
                  besideRuns.back());
    }
    const CopyResult layer = Fastest(layerRuns);
    const CopyResult ceiling = Fastest(plainRuns);
    std::printf("\nbest rounds: layer %.0f rows/s, plain %.0f rows/s\n", layer.rows / layer.seconds,
                ceiling.rows / ceiling.seconds);
    std::printf("ratio layer / plain: %.2f by the clock, %.2f by processor time\n",
                ceiling.seconds / layer.seconds, ceiling.cpuSeconds / layer.cpuSeconds);
    // With forced writes every commit waits for the disk; this shows the copy's own cost apart from that wait.
    std::printf("ratio with the commits' time left out: %.2f\n",
                (ceiling.seconds - ceiling.commitSeconds) / (layer.seconds - layer.commitSeconds));
    const WindowCopy window = *std::min_element(
        windowRuns.begin(), windowRuns.end(), [](const WindowCopy& a, const WindowCopy& b) { return a.seconds < b.seconds; });
    double longestGap = 0;
    for (const WindowCopy& run : windowRuns) longestGap = std::max(longestGap, run.longestGapMs);
    std::printf("window %.0f rows/s in its best round\n", window.inserted / window.seconds);
    std::printf("ratio window/plain: %.2f by the clock\n", ceiling.seconds / window.seconds);
    std::printf("ratio window/plain by processor time: %.2f\n", ceiling.cpuSeconds / window.cpuSeconds);
    // What the design can reach at best on this machine, apart from anything the program adds.
    std::printf("ratio bound, read ahead, one commit/plain: %.2f by the clock\n", ceiling.seconds / Fastest(aheadRuns).seconds);
    std::printf("ratio bound, read ahead, a commit once a second/plain: %.2f by the clock\n",
                ceiling.seconds / Fastest(committingRuns).seconds);
    std::printf("ratio bound, read ahead, a commit once a second beside the inserts/plain: %.2f by the clock\n",
                ceiling.seconds / Fastest(besideRuns).seconds);
    std::printf("longest gap between message processings: %.0f ms\n", longestGap);
    std::printf("peak RSS: %.1f MB after the layer copies, %.1f MB after the window copies\n", layerRss, windowRss);
    std::printf("verify %.0f rows a side/s in its best round; every row equal: %s\n", rows / verify.seconds,
                verify.equal ? "yes" : "NO");
    std::printf("ratio verify/plain: %.2f by the clock\n", verify.seconds / ceiling.seconds);
    std::printf("peak RSS during verify: %.0f MB\n", verify.peakRssMb);
    ok = verify.equal;

    std::printf("\nthe window again, into a destination that already holds every tenth row\n");
    const WindowCopy rejecting = CopyThroughWindow(source, prefilled, folder.string());
    PrintWindowCopy("window, 10% rejected", rejecting);
    std::printf("ratio window 10%% rejected/plain: %.2f by the clock\n", ceiling.seconds / rejecting.seconds);
    std::printf("longest gap between message processings with 10%% rejected: %.0f ms\n", rejecting.longestGapMs);
    std::printf("peak RSS with 10%% rejected: %.0f MB\n", PeakRssMb());
    std::printf("\nthe window again, into a twin of that destination, with \"Enviar somente os registros que faltam\"\n");
    const WindowCopy present = CopyThroughWindow(source, prefilledResumed, folder.string(), [](TFPrincipal& window) {
        window.cbbEnviarSomenteFaltantes->setChecked(true);
    });
    PrintWindowCopy("window, 10% present, resume on", present);
    std::printf("ratio window 10%% present, resume on/plain: %.2f by the clock\n", ceiling.seconds / present.seconds);
    std::printf("rejected lines in the log with 10%% present, resume on: %ld\n", present.rejectedLines);
    twins.push_back(prefilledResumed);
    // What any copy that sends only the missing rows can reach: the engine writes rows among those
    // a table holds more slowly than into an empty one.
    const CopyResult missing = CopyPlain(source, prefilledPlain, " WHERE NOT (" + AlreadyThere("ID") + ")");
    PrintCopy("plain: the missing rows alone, picked at the source, into a twin of that destination", missing);
    std::printf("ratio plain, the missing rows alone/plain: %.2f by the clock\n", ceiling.seconds / missing.seconds);
    twins.push_back(prefilledPlain);
    for (const CopyResult& run : layerRuns)
        if (run.rejected) std::printf("rows rejected by the destination: %ld\n", run.rejected);

    std::printf("\nthe window again, stopped at half the rows, then with \"Enviar somente os registros que faltam\"\n");
    PrintResume(ResumeThroughWindow(source, halfway, folder.string(), rows), window);

    const std::string expected = Fingerprint(source);
    bool same = true;
    for (const std::string& twin : twins) same = Fingerprint(twin) == expected && same;
    std::printf("destinations match the source: %s\n", same ? "yes" : "NO");
    ok = ok && same;

    if (std::getenv("VENDRASOL_SERVER_PASSWORD")) ok = CompareThroughServer(source, rows, rounds, folder, ceiling) && ok;
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    long rows = 500000;
    long rejected = 0;
    int rounds = 3;
    bool keep = false, resume = false, serverOnly = false, windowOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--keep") == 0)
            keep = true;
        else if (std::strcmp(argv[i], "--resume") == 0)
            resume = true;
        else if (std::strcmp(argv[i], "--server") == 0)
            serverOnly = true;
        else if (std::strcmp(argv[i], "--window") == 0)
            windowOnly = true;
        else if (std::strncmp(argv[i], "--rounds=", 9) == 0)
            rounds = std::atoi(argv[i] + 9);
        else if (std::strncmp(argv[i], "--rejected=", 11) == 0)
            rejected = std::atol(argv[i] + 11);
        else
            rows = std::atol(argv[i]);
    }
    if (rows <= 0 || rounds <= 0 || rejected < 0) {
        std::fprintf(stderr, "usage: bench_copy [rows] [--resume | --server | --window] [--rounds=N] [--keep]\n"
                             "       bench_copy --rejected=N [--keep]\n");
        return 2;
    }

    const char* tmp = std::getenv("TMPDIR");
    std::string folderTemplate = std::string(tmp && *tmp ? tmp : "/tmp") + "/vendrasol-bench-XXXXXX";
    if (!mkdtemp(folderTemplate.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::filesystem::path folder = folderTemplate;
    int code = 0;
    try {
        const bool ok = rejected > 0 ? MeasureRejected(argv[0], rejected, folder)
                        : resume     ? MeasureResume(argv, rows, rounds, folder)
                        : serverOnly ? MeasureServer(argv, rows, rounds, folder)
                        : windowOnly ? MeasureWindow(argv, rows, rounds, folder)
                                     : CompareCopies(argv, rows, rounds, folder);
        if (!ok) code = 1;
    } catch (const FbException& error) {
        std::fprintf(stderr, "error: %s\n", ErrorText(error).c_str());
        code = 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "error: %s\n", error.what());
        code = 1;
    }

    ThrowStatusWrapper status(Master()->getStatus());
    Master()->getDispatcher()->shutdown(&status, 0, fb_shutrsn_app_stopped);
    if (keep)
        std::printf("kept %s\n", folder.c_str());
    else
        std::filesystem::remove_all(folder);
    return code;
}
