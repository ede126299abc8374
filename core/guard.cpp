#include "core/guard.h"

#include "arx/aced.h"

void KvReportException(const char* operation) {
    try {
        acutPrintf("Exception error :  %s. \n", operation);
    } catch (...) {
        // Nothing may escape towards the host, not even from reporting.
    }
}

void KvReportExceptionLine(const char* line) {
    try {
        acutPrintf("%s", line);
    } catch (...) {}
}
