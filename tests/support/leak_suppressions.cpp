// Read by LeakSanitizer when the tests are built with it: fontconfig keeps its
// configuration for the life of the process and Qt never frees it.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
