#include "BlobTransfer.h"

#include "DatabaseErrors.h"
#include "FbRef.h"
#include "FbStatus.h"

using namespace Firebird;

QString ColumnForMessage(const QString& table, const QString& column) {
    return QStringLiteral("da coluna %1 da tabela %2").arg(column, table);
}

QByteArray ReadBlob(IAttachment* attachment, ITransaction* transaction, ISC_QUAD id, const QString& table,
                    const QString& column) {
    return Doing([&] { return QStringLiteral("ao ler o blob ") + ColumnForMessage(table, column); },
                 [&] {
                     FbStatus status;
                     FbRef<IBlob> blob(attachment->openBlob(&status, transaction, &id, 0, nullptr));
                     QByteArray content;
                     char chunk[65535];
                     for (;;) {
                         unsigned length = 0;
                         // A partial segment (RESULT_SEGMENT) is data too.
                         const int result = blob->getSegment(&status, sizeof chunk, chunk, &length);
                         if (result != IStatus::RESULT_OK && result != IStatus::RESULT_SEGMENT) break;
                         content.append(chunk, int(length));
                     }
                     blob.End([&](IBlob* b) { b->close(&status); });
                     return content;
                 });
}

ISC_QUAD WriteBlob(IAttachment* attachment, ITransaction* transaction, const TFieldValue& value, const QString& table,
                   const QString& column) {
    return Doing([&] { return QStringLiteral("ao gravar o blob ") + ColumnForMessage(table, column); },
                 [&] {
                     FbStatus status;
                     // Created with the column's own sub-type and character set, so no filter touches the bytes.
                     const unsigned char bpb[] = {isc_bpb_version1,
                                                  isc_bpb_source_type, 1, static_cast<unsigned char>(value.subType),
                                                  isc_bpb_target_type, 1, static_cast<unsigned char>(value.subType),
                                                  isc_bpb_source_interp, 1, static_cast<unsigned char>(value.charSet),
                                                  isc_bpb_target_interp, 1, static_cast<unsigned char>(value.charSet)};
                     ISC_QUAD id{0, 0};
                     FbRef<IBlob> blob(attachment->createBlob(&status, transaction, &id, sizeof bpb, bpb));
                     constexpr int segment = 32768;
                     for (qsizetype offset = 0; offset < value.data.size(); offset += segment)
                         blob->putSegment(&status, unsigned(std::min<qsizetype>(segment, value.data.size() - offset)),
                                          value.data.constData() + offset);
                     blob.End([&](IBlob* b) { b->close(&status); });
                     return id;
                 });
}
