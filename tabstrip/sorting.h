// Sorting the drawing tabs by file name.
#pragma once

class AcKvUiTabPanel;

// Puts the panel's drawing tabs in order of their file names (descending unless `ascending`), each
// at the place the insertion rule gives it; tabs that are not drawings stay in front.
void KvSortDrawingTabs(AcKvUiTabPanel& panel, bool ascending);
