#include "core/hostvars.h"

#include <cstdlib>
#include "arx/aced.h"

int KvGetVarInt(const char* name, int* value) {
    resbuf rb;
    const int rc = acedGetVar(name, &rb);
    if (rc != RTNORM) return rc;
    switch (rb.restype) {
    case RTSHORT: *value = rb.resval.rint; break;
    case RTLONG: *value = rb.resval.rlong; break;
    case RTREAL: *value = int(rb.resval.rreal); break;
    case RTSTR: *value = std::atoi(rb.resval.rstring.c_str()); break;
    default: *value = 0;
    }
    return rc;
}

std::string KvGetVarText(const char* name) {
    resbuf rb;
    if (acedGetVar(name, &rb) != RTNORM) return "";
    switch (rb.restype) {
    case RTSTR: return rb.resval.rstring;
    case RTLONG: return std::to_string(rb.resval.rlong);
    case RTREAL: return std::to_string(rb.resval.rreal);
    default: return std::to_string(rb.resval.rint);
    }
}
