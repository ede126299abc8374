// Fontconfig keeps its configuration and pattern caches for the life of the process and never
// frees them, and so does the D-Bus library that SDL's input-method support starts (korvane-host's
// live window); they are not our leaks. (The suppression must be defined in the executable.)
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\nleak:libdbus-1\n"; }
// A clean run prints nothing about the suppression.
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
