// The sanitizer reads its default options from this function, so the
// suppressions for third-party libraries apply whether the program runs
// under ctest or on its own. LSAN_OPTIONS set in the environment adds to
// (and may override) them.
extern "C" const char* __lsan_default_options() { return "suppressions=" ORVANE_LSAN_SUPPRESSIONS; }
