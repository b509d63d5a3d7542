#include "platform/FbApi.h"
#include "shell/Program.h"

int main(int argc, char* argv[]) {
    PrepareDatabaseClient();
    const int code = RunProgram(argc, argv);
    ShutDownDatabaseClient(code);
    return code;
}
