// The shipping setup.exe's entry point, in place of the C runtime's: it
// needs no DLL but the system's, since MSVCRT.DLL is missing from Windows 95
// as first sold. The process ends with ExitProcess, which hands back all it
// holds, so nothing registered with atexit runs.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

// The linker's list of static constructors: -1, the constructors, 0.
extern "C" void (*__CTOR_LIST__[])();

extern "C" int atexit(void (*)()) { return 0; }

// 32-bit Windows enters with the stack aligned to 4 bytes only.
#ifdef __i386__
#define GV_ENTRY_ALIGNS_STACK __attribute__((force_align_arg_pointer))
#else
#define GV_ENTRY_ALIGNS_STACK
#endif

// Visible to the linker, which looks for this name, through link-time
// optimisation.
extern "C" [[noreturn]] GV_ENTRY_ALIGNS_STACK __attribute__((externally_visible, used)) void WinMainCRTStartup() {
    std::size_t count = 0;
    while (__CTOR_LIST__[count + 1]) {
        ++count;
    }
    // The constructors run from the end of the list, as the linker's order
    // of priorities expects.
    for (; count > 0; --count) {
        __CTOR_LIST__[count]();
    }
    char noArguments[] = "";
    ExitProcess(static_cast<UINT>(WinMain(GetModuleHandleA(nullptr), nullptr, noArguments, SW_SHOWDEFAULT)));
}
