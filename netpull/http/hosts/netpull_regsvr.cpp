// netpull-regsvr [-u] PATH: loads a control library by path and calls its registration export
// (or, with -u, its unregistration export); prints the result and exits non-zero on failure.
#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

int main(int argc, char* argv[]) {
    const bool unregister = argc == 3 && std::strcmp(argv[1], "-u") == 0;
    if (argc != 2 && !unregister) {
        std::fprintf(stderr, "usage: netpull-regsvr [-u] PATH\n");
        return 2;
    }
    const char* path = argv[argc - 1];
    void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        std::fprintf(stderr, "netpull-regsvr: cannot load %s: %s\n", path, dlerror());
        return 1;
    }
    const char* name = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    using Export = std::int32_t (*)();
    const auto entry = reinterpret_cast<Export>(dlsym(library, name));
    if (entry == nullptr) {
        std::fprintf(stderr, "netpull-regsvr: %s has no %s\n", path, name);
        return 1;
    }
    const std::int32_t result = entry();
    std::printf("%s %s: 0x%08X\n", name, path, static_cast<std::uint32_t>(result));
    return result == 0 ? 0 : 1;
}
