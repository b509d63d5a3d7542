#pragma once

#include "WindowCopy.h"

#include <string>

// An import through the window stopped once half the rows are in, then the import again with
// "Enviar somente os registros que faltam", into the same destination.
struct ResumeCopy {
    WindowCopy stopped;
    WindowCopy resumed;
};

ResumeCopy ResumeThroughWindow(const std::string& source, const std::string& destination, const std::string& logFolder,
                               long rows);
