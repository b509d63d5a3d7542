#include "catalogue/RecordsGuard.h"

#include "platform/ECriticalError.h"

#include <gtest/gtest.h>

namespace {

QString Refusal(const std::function<void()>& command) {
    try {
        command();
    } catch (const ECriticalError& error) {
        return error.Message();
    }
    return {};
}

TEST(RecordsGuard, ALoadWaitsForAnyOtherUseOfTheRecords) {
    {
        RecordsGuard copy(RecordsGuard::Copy);
        EXPECT_EQ(Refusal([] { RecordsGuard load(RecordsGuard::Load); }),
                  "Aguarde: a importação dos dados está em andamento.");
    }
    {
        RecordsGuard cleanup(RecordsGuard::Cleanup);
        EXPECT_EQ(Refusal([] { RecordsGuard load(RecordsGuard::Load); }),
                  "Aguarde: a limpeza das tabelas está em andamento.");
    }
    RecordsGuard load(RecordsGuard::Load);
    EXPECT_EQ(Refusal([] { RecordsGuard again(RecordsGuard::Load); }),
              "Aguarde: o carregamento das tabelas está em andamento.");
}

TEST(RecordsGuard, CopiesAndCleanupsMayNestButNotInsideALoad) {
    {
        RecordsGuard copy(RecordsGuard::Copy);
        EXPECT_EQ(Refusal([] {
                      RecordsGuard nested(RecordsGuard::Copy);
                      RecordsGuard cleanup(RecordsGuard::Cleanup);
                      RecordsGuard::EnsureLoaded();
                  }),
                  "");
    }
    RecordsGuard load(RecordsGuard::Load);
    EXPECT_FALSE(Refusal([] { RecordsGuard copy(RecordsGuard::Copy); }).isEmpty());
    EXPECT_FALSE(Refusal([] { RecordsGuard cleanup(RecordsGuard::Cleanup); }).isEmpty());
    EXPECT_FALSE(Refusal([] { RecordsGuard::EnsureLoaded(); }).isEmpty());
}

// Their statements run on a thread of their own while the window handles its messages.
TEST(RecordsGuard, NothingElseWritesToTheDestinationBesideACleanupOrAMaintenanceCommand) {
    for (const RecordsGuard::Activity command : {RecordsGuard::Cleanup, RecordsGuard::Maintenance}) {
        RecordsGuard running(command);
        for (const RecordsGuard::Activity other : {RecordsGuard::Copy, RecordsGuard::Cleanup, RecordsGuard::Maintenance})
            EXPECT_FALSE(Refusal([other] { RecordsGuard nested(other); }).isEmpty()) << command << " " << other;
    }
    RecordsGuard maintenance(RecordsGuard::Maintenance);
    EXPECT_EQ(Refusal([] { RecordsGuard load(RecordsGuard::Load); }), "Aguarde: a manutenção do destino está em andamento.");
}

TEST(RecordsGuard, TheRecordsAreFreeAgainOnceTheActivityEndsEvenByAnError) {
    EXPECT_ANY_THROW({
        RecordsGuard load(RecordsGuard::Load);
        ErroCritico("falhou");
    });
    EXPECT_FALSE(RecordsGuard::Running());
    EXPECT_EQ(Refusal([] { RecordsGuard load(RecordsGuard::Load); }), "");
}

}  // namespace
