#include "tests/remote/remote_call.h"

#include <tlhelp32.h>

#include <cstring>
#include <string>

#include "tests/remote/remote_memory.h"

namespace remote {
namespace {

// Base address of the module named `name` in process `processId`.
BYTE* moduleBase(DWORD processId, const char* name) {
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId));
    if (!snapshot) throwLastError("CreateToolhelp32Snapshot");
    MODULEENTRY32 module{};
    module.dwSize = sizeof module;
    for (BOOL more = Module32First(snapshot.get(), &module); more;
         more = Module32Next(snapshot.get(), &module))
        if (lstrcmpiA(module.szModule, name) == 0) return module.modBaseAddr;
    throw Error(std::string(name) + " is not loaded in process " + std::to_string(processId));
}

// The thread's code: call args->function(args->window, args->index) and
// return its result as the thread's exit code.
#ifdef _WIN64
constexpr char kFunction[] = "GetClassLongPtrA";
//   mov rax, rcx        ; args
//   mov rcx, [rax+8]    ; window
//   mov edx, [rax+16]   ; index
//   sub rsp, 40         ; the callee's home slots, the stack aligned
//   call [rax]
//   add rsp, 40
//   ret
constexpr unsigned char kCode[] = {0x48, 0x89, 0xC8, 0x48, 0x8B, 0x48, 0x08, 0x8B, 0x50, 0x10, 0x48,
                                   0x83, 0xEC, 0x28, 0xFF, 0x10, 0x48, 0x83, 0xC4, 0x28, 0xC3};
#else
constexpr char kFunction[] = "GetClassLongA";
//   mov eax, [esp+4]    ; args
//   push dword [eax+8]  ; index
//   push dword [eax+4]  ; window
//   call dword [eax]    ; GetClassLongA, which pops both
//   ret 4
constexpr unsigned char kCode[] = {0x8B, 0x44, 0x24, 0x04, 0xFF, 0x70, 0x08, 0xFF,
                                   0x70, 0x04, 0xFF, 0x10, 0xC2, 0x04, 0x00};
#endif

struct Arguments {
    void* function;
    HWND window;
    int index;
};

constexpr size_t kArgumentsAt = 32;
static_assert(sizeof kCode <= kArgumentsAt);

} // namespace

DWORD classLongInOwnProcess(HWND window, int index) {
    const RemoteWindow target(window);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);

    // user32 may sit at another address there: keep the function's offset.
    const HMODULE user32 = GetModuleHandleA("user32.dll");
    const auto local = reinterpret_cast<BYTE*>(GetProcAddress(user32, kFunction));
    if (!local) throwLastError(std::string("GetProcAddress ") + kFunction);
    BYTE* const remoteFunction =
        moduleBase(processId, "user32.dll") + (local - reinterpret_cast<BYTE*>(user32));

    RemoteBuffer block(target.process(), kArgumentsAt + sizeof(Arguments), PAGE_EXECUTE_READWRITE);
    block.write(0, kCode, sizeof kCode);
    block.put(Arguments{remoteFunction, window, index}, kArgumentsAt);
    FlushInstructionCache(target.process(), reinterpret_cast<void*>(block.address()), sizeof kCode);

    UniqueHandle thread(CreateRemoteThread(
        target.process(), nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(block.address()),
        reinterpret_cast<void*>(block.address(kArgumentsAt)), 0, nullptr));
    if (!thread) throwLastError("CreateRemoteThread");
    if (WaitForSingleObject(thread.get(), 5000) != WAIT_OBJECT_0)
        throw Error(std::string("the thread calling ") + kFunction + " did not end in 5 s");
    DWORD result = 0;
    if (!GetExitCodeThread(thread.get(), &result)) throwLastError("GetExitCodeThread");
    return result;
}

} // namespace remote
