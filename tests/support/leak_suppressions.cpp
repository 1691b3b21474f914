// Read by LeakSanitizer when the tests are built with it: fontconfig keeps its
// configuration for the life of the process and Qt never frees it; liquid-dsp 1.5 drops the
// search object with which it designs a resampler's filter.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n"
           "leak:qs1dsearch_create\n";
}
