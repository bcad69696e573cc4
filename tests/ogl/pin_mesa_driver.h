// Mesa unloads its driver when the library's X connection closes at
// shut-down, and LeakSanitizer would count the allocations that the
// driver's globals keep as leaks: the loaded driver is kept mapped.
#pragma once

#include <dlfcn.h>
#include <link.h>

#include <cstring>

inline void PinMesaDriver() {
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            if (std::strstr(info->dlpi_name, "/dri/")) dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}
