// Sorting the drawing tabs by file name.
#pragma once

class AcKvUiTabCtrl;

// Puts the drawing tabs of `tab` in order of their file names (descending unless `ascending`),
// each at the place the insertion rule gives it; tabs that are not drawings stay in front.
void KvSortDrawingTabs(AcKvUiTabCtrl& tab, bool ascending);
