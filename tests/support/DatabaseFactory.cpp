#include "DatabaseFactory.h"

#include "platform/FbApi.h"

#include <QDir>
#include <QRegularExpression>
#include <QStringList>

using namespace Firebird;

namespace {

// Splits a script into statements, honouring SET TERM and skipping quoted text.
QStringList Statements(const QString& script) {
    QStringList statements;
    QString terminator = QStringLiteral(";");
    QString current;
    const QRegularExpression setTerm(QStringLiteral("^\\s*SET\\s+TERM\\s+(\\S+)\\s*$"),
                                     QRegularExpression::CaseInsensitiveOption);
    QChar quote;
    for (qsizetype i = 0; i < script.size(); ++i) {
        const QChar c = script[i];
        if (!quote.isNull()) {
            current += c;
            if (c == quote) quote = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            current += c;
            continue;
        }
        if (script.mid(i, terminator.size()) == terminator) {
            const QString statement = current.trimmed();
            current.clear();
            i += terminator.size() - 1;
            const auto match = setTerm.match(statement);
            if (match.hasMatch())
                terminator = match.captured(1);
            else if (!statement.isEmpty())
                statements << statement;
            continue;
        }
        current += c;
    }
    if (!current.trimmed().isEmpty()) statements << current.trimmed();
    return statements;
}

// SYSDBA's password on the loopback server when scripts/test started it; the embedded engine
// asks for none.
QString ServerPassword() { return qEnvironmentVariable("VENDRASOL_SERVER_PASSWORD", QStringLiteral("masterkey")); }

IAttachment* Attach(const QString& path, bool create, const QString& password = ServerPassword()) {
    FbStatus status;
    IXpbBuilder* dpb = FbUtil()->getXpbBuilder(&status, IXpbBuilder::DPB, nullptr, 0);
    dpb->insertString(&status, isc_dpb_user_name, "SYSDBA");
    dpb->insertString(&status, isc_dpb_password, password.toUtf8().constData());
    if (create) {
        dpb->insertInt(&status, isc_dpb_sql_dialect, 3);
        dpb->insertInt(&status, isc_dpb_page_size, 8192);
        dpb->insertInt(&status, isc_dpb_force_write, 0);
    }
    IProvider* provider = FbMaster()->getDispatcher();
    const QByteArray file = path.toUtf8();
    IAttachment* attachment = create ? provider->createDatabase(&status, file.constData(), dpb->getBufferLength(&status),
                                                                dpb->getBuffer(&status))
                                     : provider->attachDatabase(&status, file.constData(), dpb->getBufferLength(&status),
                                                                dpb->getBuffer(&status));
    provider->release();
    dpb->dispose();
    return attachment;
}

void Run(IAttachment* attachment, const QString& script) {
    FbStatus status;
    // Each statement commits on its own, so a table is there for the statements after it.
    for (const QString& statement : Statements(script)) {
        FbRef<ITransaction> transaction(attachment->startTransaction(&status, 0, nullptr));
        const QByteArray sql = statement.toUtf8();
        attachment->execute(&status, transaction.get(), 0, sql.constData(), SqlDialect, nullptr, nullptr, nullptr, nullptr);
        // DDL fails at commit, which raises the statement's own error.
        FbEndTransaction(transaction, true);
    }
}

// Runs the script and lets the attachment go, also when a statement fails.
void RunScript(IAttachment* attachment, const QString& script) {
    FbStatus status;
    try {
        Run(attachment, script);
    } catch (...) {
        attachment->detach(&status);
        throw;
    }
    attachment->detach(&status);
}

}  // namespace

DatabaseFactory::DatabaseFactory() = default;
DatabaseFactory::~DatabaseFactory() = default;

QString DatabaseFactory::Create(const QString& name, const QString& script) {
    const QString path = QDir(dir_.path()).filePath(name + QStringLiteral(".fdb"));
    RunScript(Attach(path, true), script);
    return path;
}

void DatabaseFactory::Execute(const QString& path, const QString& script) { RunScript(Attach(path, false), script); }

void DatabaseFactory::CreateAt(const QString& database, const QString& password) {
    RunScript(Attach(database, true, password), {});
}

void DatabaseFactory::DropAt(const QString& database, const QString& password) {
    FbStatus status;
    Attach(database, false, password)->dropDatabase(&status);
}

QString DatabaseFactory::QueryValue(const QString& path, const QString& sql) {
    FbStatus status;
    IAttachment* attachment = Attach(path, false);
    QString result;
    try {
        ITransaction* transaction = attachment->startTransaction(&status, 0, nullptr);
        IMetadataBuilder* builder = FbMaster()->getMetadataBuilder(&status, 1);
        builder->setType(&status, 0, SQL_VARYING + 1);
        builder->setLength(&status, 0, 32000);
        builder->setCharSet(&status, 0, 0);
        IMessageMetadata* meta = builder->getMetadata(&status);
        builder->release();
        QByteArray buffer(int(meta->getMessageLength(&status)), '\0');
        const QByteArray text = sql.toUtf8();
        IResultSet* cursor = attachment->openCursor(&status, transaction, 0, text.constData(), SqlDialect, nullptr,
                                                    nullptr, meta, nullptr, 0);
        if (cursor->fetchNext(&status, buffer.data()) == IStatus::RESULT_OK) {
            const short null = *reinterpret_cast<const short*>(buffer.constData() + meta->getNullOffset(&status, 0));
            if (!null) {
                const char* slot = buffer.constData() + meta->getOffset(&status, 0);
                const unsigned short length = *reinterpret_cast<const unsigned short*>(slot);
                result = QString::fromUtf8(slot + 2, length);
            }
        }
        cursor->close(&status);
        meta->release();
        transaction->commit(&status);
    } catch (...) {
        attachment->detach(&status);
        throw;
    }
    attachment->detach(&status);
    return result;
}
