// Defaults that the sanitizer runtimes read at start-up, so a test behaves the same under ctest,
// under its discovery step and when run by hand.

extern "C" {

// Leaks inside libraries we do not build (one-time allocations of Qt's plugin and font machinery,
// fontconfig, the dynamic loader) are not ours to fix; our own code is never suppressed.
const char* __lsan_default_suppressions()
{
    return "leak:libQt6Core.so\n"
           "leak:libQt6Gui.so\n"
           "leak:libQt6Widgets.so\n"
           "leak:libqoffscreen.so\n"
           "leak:libfontconfig.so\n"
           "leak:libglib-2.0.so\n"
           "leak:libdbus-1.so\n"
           "leak:ld-linux-x86-64.so\n";
}

const char* __ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}

} // extern "C"
