/* Loads the shared library with a plain dlopen, as a host that does not link
   against it would, makes and frees a handle, and unloads it again. */
#include <dlfcn.h>
#include <stdio.h>

typedef void* (*CreateProc)(void);
typedef void (*FreeProc)(void*);

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: dlopen_check LIBRARY\n");
        return 2;
    }
    for (int round = 0; round < 2; ++round) {
        void* lib = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
        if (!lib) {
            fprintf(stderr, "dlopen: %s\n", dlerror());
            return 1;
        }
        CreateProc create = (CreateProc)dlsym(lib, "ZVSDCreate");
        FreeProc release = (FreeProc)dlsym(lib, "ZVSDFree");
        if (!create || !release) {
            fprintf(stderr, "missing export\n");
            return 1;
        }
        void* h = create();
        if (!h) return 1;
        release(h);
        if (dlclose(lib) != 0) return 1;
    }
    printf("dlopen check: ok\n");
    return 0;
}
