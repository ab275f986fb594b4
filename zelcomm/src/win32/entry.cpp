// Load and unload entries of the DLL.
#include <windows.h>

#include "../session.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            return zelcomm::attach(zelcomm::systemPlatform()) ? TRUE : FALSE;
        case DLL_PROCESS_DETACH:
            zelcomm::detach();
            return TRUE;
        default:
            return TRUE;
    }
}
