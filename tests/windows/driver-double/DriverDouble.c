// SPDX-License-Identifier: MIT
// A stand-in for a port driver's library: the two DLPortIO entry points over a
// small simulated port, every access appended as a line to the file named by
// PORTPROV_DRIVER_DOUBLE_LOG ("load <file>", "read 889 120", "write 888 85").
// Built for 64-bit and 32-bit Windows, and once without the write entry.
#include <windows.h>

#include <stdio.h>

static unsigned char dataLatch = 0;      // 888: what was last written
static unsigned char controlLatch = 0x0C; // 890
static const unsigned char kStatus = 0x78; // 889: a fixed pattern on the lamps

static void Log(const char* line) {
    char path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("PORTPROV_DRIVER_DOUBLE_LOG", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    FILE* file = fopen(path, "a");
    if (file == NULL)
        return;
    fprintf(file, "%s\n", line);
    fclose(file);
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        // The file name it was loaded as, without the folder.
        char path[MAX_PATH];
        const DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
        const char* name = path;
        for (DWORD i = 0; i < length; ++i)
            if (path[i] == '\\' || path[i] == '/')
                name = path + i + 1;
        char line[MAX_PATH + 8];
        snprintf(line, sizeof line, "load %s", length > 0 ? name : "?");
        Log(line);
    }
    return TRUE;
}

__declspec(dllexport) unsigned char __stdcall DlPortReadPortUchar(unsigned long port) {
    unsigned char value = 0xFF;
    if (port == 888)
        value = dataLatch;
    else if (port == 889)
        value = kStatus;
    else if (port == 890)
        value = controlLatch;
    char line[64];
    snprintf(line, sizeof line, "read %lu %u", port, (unsigned)value);
    Log(line);
    return value;
}

#ifndef DOUBLE_WITHOUT_WRITE
__declspec(dllexport) void __stdcall DlPortWritePortUchar(unsigned long port, unsigned char value) {
    if (port == 888)
        dataLatch = value;
    else if (port == 890)
        controlLatch = value;
    char line[64];
    snprintf(line, sizeof line, "write %lu %u", port, (unsigned)value);
    Log(line);
}
#endif
