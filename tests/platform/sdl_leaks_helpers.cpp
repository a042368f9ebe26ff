// SDL 2 under the 1.2 layer keeps a few bytes of its own on every video mode change and
// never frees them; they are not ours to free, so the leak checker is told to look past them.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libSDL2\nleak:libdbus-1\nleak:libX11\n";
}
