// freeglut asks the multimedia library for its clock and for joysticks, and
// the registry for joystick names. The editor needs neither a joystick nor a
// finer timer, and the module must load
// with the system's core DLLs alone, so these few entries are answered here:
// the clock from GetTickCount, joysticks and their registry keys as absent.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

constexpr UINT kNoError = 0;
constexpr UINT kNoDriver = 6;         // MMSYSERR_NODRIVER
constexpr UINT kJoystickUnplugged = 167;  // JOYERR_UNPLUGGED

UINT WINAPI standInTimeBeginPeriod(UINT) { return kNoError; }
UINT WINAPI standInTimeEndPeriod(UINT) { return kNoError; }
DWORD WINAPI standInTimeGetTime() { return GetTickCount(); }
UINT WINAPI standInJoyGetPosEx(UINT, void *) { return kJoystickUnplugged; }
UINT WINAPI standInJoyGetDevCapsA(UINT_PTR, void *, UINT) { return kNoDriver; }
LONG WINAPI standInRegCloseKey(HKEY) { return ERROR_SUCCESS; }
LONG WINAPI standInRegOpenKeyA(HKEY, LPCSTR, PHKEY) { return ERROR_FILE_NOT_FOUND; }
LONG WINAPI standInRegOpenKeyExA(HKEY, LPCSTR, DWORD, REGSAM, PHKEY) { return ERROR_FILE_NOT_FOUND; }
LONG WINAPI standInRegQueryValueExA(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD) { return ERROR_FILE_NOT_FOUND; }

}  // namespace

// The import slots freeglut's objects refer to. 32-bit x86 decorates an
// import with a leading underscore and the argument bytes of the stdcall
// callee; x86-64 has one calling convention and no decoration.
#if defined(_WIN64)
#define TARNWELL_IMPORT_SLOT(name, argumentBytes) "__imp_" #name
#else
#define TARNWELL_IMPORT_SLOT(name, argumentBytes) "__imp__" #name "@" #argumentBytes
#endif

extern "C" {
void *standInSlotTimeBeginPeriod __asm__(TARNWELL_IMPORT_SLOT(timeBeginPeriod, 4)) =
    reinterpret_cast<void *>(&standInTimeBeginPeriod);
void *standInSlotTimeEndPeriod __asm__(TARNWELL_IMPORT_SLOT(timeEndPeriod, 4)) =
    reinterpret_cast<void *>(&standInTimeEndPeriod);
void *standInSlotTimeGetTime __asm__(TARNWELL_IMPORT_SLOT(timeGetTime, 0)) =
    reinterpret_cast<void *>(&standInTimeGetTime);
void *standInSlotJoyGetPosEx __asm__(TARNWELL_IMPORT_SLOT(joyGetPosEx, 8)) =
    reinterpret_cast<void *>(&standInJoyGetPosEx);
void *standInSlotJoyGetDevCapsA __asm__(TARNWELL_IMPORT_SLOT(joyGetDevCapsA, 12)) =
    reinterpret_cast<void *>(&standInJoyGetDevCapsA);
void *standInSlotRegCloseKey __asm__(TARNWELL_IMPORT_SLOT(RegCloseKey, 4)) =
    reinterpret_cast<void *>(&standInRegCloseKey);
void *standInSlotRegOpenKeyA __asm__(TARNWELL_IMPORT_SLOT(RegOpenKeyA, 12)) =
    reinterpret_cast<void *>(&standInRegOpenKeyA);
void *standInSlotRegOpenKeyExA __asm__(TARNWELL_IMPORT_SLOT(RegOpenKeyExA, 20)) =
    reinterpret_cast<void *>(&standInRegOpenKeyExA);
void *standInSlotRegQueryValueExA __asm__(TARNWELL_IMPORT_SLOT(RegQueryValueExA, 24)) =
    reinterpret_cast<void *>(&standInRegQueryValueExA);
}
