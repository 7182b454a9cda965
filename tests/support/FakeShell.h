// COM stand-ins for unit tests of shell code: a counting allocator, a
// scripted shell folder, a spy on the COM task allocator, and hand-made
// item identifier lists.
//
// CountingMalloc and FakeShellFolder belong to the test (CountedObject).
#pragma once

#include "tests/support/CountedObject.h"

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <deque>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

// An item identifier list as raw bytes: each payload becomes one entry
// (2-byte count, then the payload), then the 2-byte terminator.
std::string BuildItemIDList(std::initializer_list<std::string> payloads);
inline LPCITEMIDLIST AsItemIDList(const std::string& bytes) {
    return reinterpret_cast<LPCITEMIDLIST>(bytes.data());
}
// The bytes of a list up to and including its terminator; empty for null.
std::string ItemIDListBytes(LPCITEMIDLIST list);

// An IMalloc over the COM task allocator that counts blocks and references
// and can be told to refuse. New blocks are filled with 0xCD, so code that
// relies on zero-filled memory it did not clear shows up.
class CountingMalloc : public CountedObject<IMalloc> {
  public:
    // How many more blocks Alloc and Realloc hand out; -1: no limit, 0: none.
    int allocationsAllowed = -1;

    int Allocations() const { return allocations_; }
    int Frees() const { return frees_; }                 // foreign blocks included
    int LiveBlocks() const { return int(live_.size()); } // allocated here, not yet freed
    bool Live(void* block) const { return live_.count(block) != 0; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    void* STDMETHODCALLTYPE Alloc(SIZE_T size) override;
    void* STDMETHODCALLTYPE Realloc(void* block, SIZE_T size) override;
    void STDMETHODCALLTYPE Free(void* block) override;
    SIZE_T STDMETHODCALLTYPE GetSize(void* block) override;
    int STDMETHODCALLTYPE DidAlloc(void* block) override;
    void STDMETHODCALLTYPE HeapMinimize() override {}

  private:
    bool TakeAllowance();

    int allocations_ = 0;
    int frees_ = 0;
    std::set<void*> live_;
};

// One answer of FakeShellFolder::GetDisplayNameOf.
struct DisplayNameReply {
    HRESULT status = S_OK;
    UINT kind = STRRET_CSTR;
    std::wstring wide; // STRRET_WSTR: handed out in a CoTaskMemAlloc block
    std::string text;  // STRRET_CSTR, and the bytes left in cStr for any other kind
    UINT offset = 0;   // STRRET_OFFSET

    static DisplayNameReply Wide(std::wstring name) {
        return {S_OK, STRRET_WSTR, std::move(name), {}, 0};
    }
    static DisplayNameReply Text(std::string name) {
        return {S_OK, STRRET_CSTR, {}, std::move(name), 0};
    }
    static DisplayNameReply Offset(UINT offset) { return {S_OK, STRRET_OFFSET, {}, {}, offset}; }
    // A status other than S_OK, with a usable-looking text that must be ignored.
    static DisplayNameReply Status(HRESULT status) {
        return {status, STRRET_CSTR, {}, "ignored", 0};
    }
};

// A scripted IShellFolder that records what it was asked.
class FakeShellFolder : public CountedObject<IShellFolder> {
  public:
    // GetDisplayNameOf answers these in turn; E_FAIL once they run out.
    std::deque<DisplayNameReply> displayNames;
    HRESULT compareResult = S_OK;
    HRESULT attributesResult = S_OK;
    SFGAOF attributesOut = 0; // the attribute word as GetAttributesOf leaves it
    // BindToObject hands out bindTarget, or fails with bindResult.
    FakeShellFolder* bindTarget = nullptr;
    HRESULT bindResult = S_OK;
    // ParseDisplayName: on success a new list with these bytes (task allocator).
    HRESULT parseResult = E_FAIL;
    std::string parseList;
    // GetUIObjectOf hands out uiObject asked for the interface, or E_NOTIMPL.
    IUnknown* uiObject = nullptr;
    // SetNameOf answers setNameResult; on success, with a new one-entry list
    // from setNameAllocator when one is given.
    HRESULT setNameResult = E_NOTIMPL;
    IMalloc* setNameAllocator = nullptr;

    // What was asked.
    std::vector<SHGDNF> displayNameFlags;
    std::vector<std::string> boundIds; // lists given to BindToObject
    std::vector<std::pair<std::string, std::string>> comparedIds;
    std::vector<LPARAM> compareParams;
    std::vector<SFGAOF> attributesIn; // the word as it came in
    std::vector<std::wstring> parsedNames;
    std::vector<void*> wideNamesHandedOut; // CoTaskMemAlloc blocks of STRRET_WSTR
    int uiObjectRequests = 0;
    struct SetName {
        HWND owner;
        std::string item;
        std::wstring name;
        SHGDNF flags;
    };
    std::vector<SetName> setNames;
    std::vector<void*> renamedListsHandedOut;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx*, LPWSTR name, ULONG* eaten,
                                               PIDLIST_RELATIVE* list, ULONG* attributes) override;
    HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF, IEnumIDList** list) override;
    HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE list, IBindCtx*, REFIID iid,
                                           void** object) override;
    HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID,
                                            void** object) override;
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM param, PCUIDLIST_RELATIVE list1,
                                         PCUIDLIST_RELATIVE list2) override;
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID, void** object) override;
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT count, PCUITEMID_CHILD_ARRAY items,
                                              SFGAOF* attributes) override;
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT, PCUITEMID_CHILD_ARRAY, REFIID, UINT*,
                                            void** object) override;
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD item, SHGDNF flags,
                                               STRRET* name) override;
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF,
                                        PITEMID_CHILD* newItem) override;
};

// While it lives, counts what goes through the COM task allocator
// (CoTaskMemAlloc/CoTaskMemFree) by way of CoRegisterMallocSpy; COM takes
// one spy at a time, so a second one alive at once is not Registered().
class TaskAllocatorSpy {
  public:
    TaskAllocatorSpy();
    ~TaskAllocatorSpy();
    TaskAllocatorSpy(const TaskAllocatorSpy&) = delete;
    TaskAllocatorSpy& operator=(const TaskAllocatorSpy&) = delete;

    bool Registered() const { return registered_; }
    int Allocations() const;
    int Frees() const;
    bool WasFreed(void* block) const;

    class Spy;

  private:
    Microsoft::WRL::ComPtr<Spy> spy_;
    bool registered_ = false;
};
