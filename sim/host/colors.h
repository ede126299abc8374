// The editor's display colours that acedGetCurrentColors reports (tests and scripts change them).
#pragma once
#include "arx/aced.h"

namespace sim::host {
struct DisplayColors {
    AcColorSettings colors{0x00302821, 0x00FFFFFF};   // RGB(33, 40, 48) model, white layouts
    bool fail = false;                               // acedGetCurrentColors reports failure
};
DisplayColors& displayColors();
}  // namespace sim::host
