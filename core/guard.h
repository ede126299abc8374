// The one exception guard at the host boundary. Every host callback, command body and menu handler
// runs through it: an exception prints one line on the host's command line and returns normally.
#pragma once
#include <string>

// Prints "Exception error :  <operation>. \n".
void KvReportException(const char* operation);
// Prints `line` exactly (start-up and unload use their own lines).
void KvReportExceptionLine(const char* line);

// Runs `body`; on any exception prints the operation's error line. True when no exception escaped.
template <class Body>
bool KvGuard(const char* operation, Body&& body) noexcept {
    try {
        body();
        return true;
    } catch (...) {
        KvReportException(operation);
        return false;
    }
}

// As KvGuard, with the error line given in full.
template <class Body>
bool KvGuardLine(const char* errorLine, Body&& body) noexcept {
    try {
        body();
        return true;
    } catch (...) {
        KvReportExceptionLine(errorLine);
        return false;
    }
}
