#include "platform/FbApi.h"
#include "shell/Program.h"

int main(int argc, char* argv[]) {
    const int code = RunProgram(argc, argv);
    ShutDownDatabaseClient(code);
    return code;
}
