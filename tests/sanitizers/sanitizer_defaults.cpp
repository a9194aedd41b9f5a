// Linked into every binary of the sanitizer build, so that the program and the tests
// behave the same however they are started.

// Leaks that LeakSanitizer finds in the libraries under Qt, not in Quellary: one-time
// allocations that live as long as the process.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n"
           "leak:libglib-2.0.so\n"
           "leak:libdbus-1.so\n"
           "leak:libxcb.so\n"
           "leak:libX11.so\n"
           "leak:libQt6DBus.so\n"
           "leak:libQt6XcbQpa.so\n"
           "leak:libwayland-client.so\n";
}

extern "C" const char *__lsan_default_options()
{
    return "print_suppressions=0";
}

extern "C" const char *__ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}
