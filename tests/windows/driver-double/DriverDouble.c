// SPDX-License-Identifier: MIT
// A stand-in for a port driver's library: the two DLPortIO entry points over a
// small simulated port, every access appended as a line to the file named by
// PORTPROV_DRIVER_DOUBLE_LOG ("load <file>", "read 889 127", "write 888 85").
// Built for 64-bit and 32-bit Windows, and once without the write entry.
// Built with INPOUT_DRIVER_OPEN set to 1 or 0, it is InpOut32's library with
// its kernel driver installed or not: IsInpOutDriverOpen answers so.
#include <windows.h>

#include <stdio.h>

// Three parallel ports with nothing attached, as the program's simulated PC
// has them, so that the same window checks hold against either: data latch,
// status 127, control latch (bits 6 and 7 read 1; bit 5 turns the data lines
// to input, which then read 255). A game port at rest at 512 to 519 (240);
// 255 everywhere else.
static const unsigned long kBases[3] = {888, 632, 956};
static unsigned char dataLatch[3];
static unsigned char control[3];

static unsigned char Read(unsigned long port) {
    for (int i = 0; i < 3; ++i) {
        if (port == kBases[i])
            return (control[i] & 0x20) ? 255 : dataLatch[i];
        if (port == kBases[i] + 1)
            return 127;
        if (port == kBases[i] + 2)
            return (unsigned char)(control[i] | 0xC0);
    }
    return (port >= 512 && port <= 519) ? 240 : 255;
}

static void Write(unsigned long port, unsigned char value) {
    for (int i = 0; i < 3; ++i) {
        if (port == kBases[i])
            dataLatch[i] = value;
        else if (port == kBases[i] + 2)
            control[i] = value & 0x3F;
    }
}

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
    const unsigned char value = Read(port);
    char line[64];
    snprintf(line, sizeof line, "read %lu %u", port, (unsigned)value);
    Log(line);
    return value;
}

#ifndef DOUBLE_WITHOUT_WRITE
__declspec(dllexport) void __stdcall DlPortWritePortUchar(unsigned long port, unsigned char value) {
    Write(port, value);
    char line[64];
    snprintf(line, sizeof line, "write %lu %u", port, (unsigned)value);
    Log(line);
}
#endif

#ifdef INPOUT_DRIVER_OPEN
__declspec(dllexport) BOOL __stdcall IsInpOutDriverOpen(void) {
    Log(INPOUT_DRIVER_OPEN ? "IsInpOutDriverOpen 1" : "IsInpOutDriverOpen 0");
    return INPOUT_DRIVER_OPEN;
}
#endif
