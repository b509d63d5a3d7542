#include "PlainClient.h"

#include <cstdlib>
#include <sys/resource.h>

using namespace Firebird;

IMaster* Master() { return fb_get_master_interface(); }

std::string Password() {
    const char* password = std::getenv("VENDRASOL_SERVER_PASSWORD");
    return password && *password ? password : "masterkey";
}

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

Database::Database() : status_(Master()->getStatus()), provider_(Master()->getDispatcher()) {}

Database::~Database() {
    if (attachment_) attachment_->release();
    provider_->release();
    status_.dispose();
}

void Database::Detach() {
    attachment_->detach(&status_);
    attachment_ = nullptr;
}

void Database::Drop() {
    attachment_->dropDatabase(&status_);
    attachment_ = nullptr;
}

void Database::Execute(const std::string& sql) {
    ITransaction* transaction = attachment_->startTransaction(&status_, 0, nullptr);
    attachment_->execute(&status_, transaction, 0, sql.c_str(), 3, nullptr, nullptr, nullptr, nullptr);
    transaction->commit(&status_);
}

void Database::Connect(const std::string& path, bool create, bool forcedWrites) {
    IXpbBuilder* dpb = Master()->getUtilInterface()->getXpbBuilder(&status_, IXpbBuilder::DPB, nullptr, 0);
    dpb->insertString(&status_, isc_dpb_user_name, "SYSDBA");
    dpb->insertString(&status_, isc_dpb_password, Password().c_str());
    if (create) {
        dpb->insertInt(&status_, isc_dpb_page_size, 8192);
        dpb->insertString(&status_, isc_dpb_set_db_charset, "WIN1252");
        dpb->insertInt(&status_, isc_dpb_force_write, forcedWrites ? 1 : 0);
        attachment_ = provider_->createDatabase(&status_, path.c_str(), dpb->getBufferLength(&status_),
                                                dpb->getBuffer(&status_));
    } else {
        attachment_ = provider_->attachDatabase(&status_, path.c_str(), dpb->getBufferLength(&status_),
                                                dpb->getBuffer(&status_));
    }
    dpb->dispose();
}

void CopyBlob(ThrowStatusWrapper* status, IAttachment* from, ITransaction* fromTransaction, IAttachment* to,
              ITransaction* toTransaction, ISC_QUAD* id, std::vector<char>& segment) {
    IBlob* in = from->openBlob(status, fromTransaction, id, 0, nullptr);
    IBlob* out = to->createBlob(status, toTransaction, id, 0, nullptr);
    for (;;) {
        unsigned length = 0;
        const int got = in->getSegment(status, unsigned(segment.size()), segment.data(), &length);
        if (got != IStatus::RESULT_OK && got != IStatus::RESULT_SEGMENT) break;
        out->putSegment(status, length, segment.data());
    }
    in->close(status);
    out->close(status);
}
