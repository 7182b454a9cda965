#include "tests/support/FakeShell.h"

#include <algorithm>
#include <cstring>
#include <mutex>

std::string BuildItemIDList(std::initializer_list<std::string> payloads) {
    std::string bytes;
    for (const std::string& payload : payloads) {
        size_t cb = payload.size() + 2;
        bytes += char(cb & 0xFF);
        bytes += char(cb >> 8);
        bytes += payload;
    }
    return bytes + std::string(2, '\0');
}

std::string ItemIDListBytes(LPCITEMIDLIST list) {
    if (!list) return {};
    const char* start = reinterpret_cast<const char*>(list);
    const char* entry = start;
    for (USHORT cb; (cb = reinterpret_cast<LPCITEMIDLIST>(entry)->mkid.cb) != 0;)
        entry += cb;
    return std::string(start, entry + 2);
}

// CountingMalloc

HRESULT CountingMalloc::QueryInterface(REFIID iid, void** object) {
    if (iid != IID_IUnknown && iid != IID_IMalloc) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IMalloc*>(this);
    AddRef();
    return S_OK;
}

bool CountingMalloc::TakeAllowance() {
    if (allocationsAllowed == 0) return false;
    if (allocationsAllowed > 0) --allocationsAllowed;
    return true;
}

void* CountingMalloc::Alloc(SIZE_T size) {
    if (!TakeAllowance()) return nullptr;
    void* block = CoTaskMemAlloc(size);
    if (!block) return nullptr;
    std::memset(block, 0xCD, size);
    ++allocations_;
    live_.insert(block);
    return block;
}

void* CountingMalloc::Realloc(void* block, SIZE_T size) {
    if (!block) return Alloc(size);
    if (size == 0) {
        Free(block);
        return nullptr;
    }
    if (!TakeAllowance()) return nullptr;
    void* moved = CoTaskMemRealloc(block, size);
    if (moved) {
        live_.erase(block);
        live_.insert(moved);
    }
    return moved;
}

void CountingMalloc::Free(void* block) {
    if (!block) return;
    ++frees_;
    live_.erase(block);
    CoTaskMemFree(block);
}

SIZE_T CountingMalloc::GetSize(void* block) {
    Microsoft::WRL::ComPtr<IMalloc> task;
    return SUCCEEDED(CoGetMalloc(1, &task)) ? task->GetSize(block) : SIZE_T(-1);
}

int CountingMalloc::DidAlloc(void* block) {
    return live_.count(block) ? 1 : 0;
}

// FakeShellFolder

HRESULT FakeShellFolder::QueryInterface(REFIID iid, void** object) {
    if (iid != IID_IUnknown && iid != IID_IShellFolder) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IShellFolder*>(this);
    AddRef();
    return S_OK;
}

HRESULT FakeShellFolder::ParseDisplayName(HWND, IBindCtx*, LPWSTR name, ULONG* eaten,
                                          PIDLIST_RELATIVE* list, ULONG*) {
    parsedNames.push_back(name ? name : L"");
    *list = nullptr;
    if (eaten) *eaten = 0;
    if (FAILED(parseResult)) return parseResult;
    void* block = CoTaskMemAlloc(parseList.size());
    if (!block) return E_OUTOFMEMORY;
    std::memcpy(block, parseList.data(), parseList.size());
    *list = static_cast<PIDLIST_RELATIVE>(block);
    return parseResult;
}

HRESULT FakeShellFolder::EnumObjects(HWND, SHCONTF, IEnumIDList** list) {
    *list = nullptr;
    return E_NOTIMPL;
}

HRESULT FakeShellFolder::BindToObject(PCUIDLIST_RELATIVE list, IBindCtx*, REFIID iid,
                                      void** object) {
    boundIds.push_back(ItemIDListBytes(list));
    *object = nullptr;
    if (FAILED(bindResult)) return bindResult;
    if (!bindTarget) return E_FAIL;
    return bindTarget->QueryInterface(iid, object);
}

HRESULT FakeShellFolder::BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void** object) {
    *object = nullptr;
    return E_NOTIMPL;
}

HRESULT FakeShellFolder::CompareIDs(LPARAM param, PCUIDLIST_RELATIVE list1,
                                    PCUIDLIST_RELATIVE list2) {
    compareParams.push_back(param);
    comparedIds.emplace_back(ItemIDListBytes(list1), ItemIDListBytes(list2));
    return compareResult;
}

HRESULT FakeShellFolder::CreateViewObject(HWND, REFIID, void** object) {
    *object = nullptr;
    return E_NOTIMPL;
}

HRESULT FakeShellFolder::GetAttributesOf(UINT, PCUITEMID_CHILD_ARRAY, SFGAOF* attributes) {
    attributesIn.push_back(*attributes);
    *attributes = attributesOut;
    return attributesResult;
}

HRESULT FakeShellFolder::GetUIObjectOf(HWND, UINT, PCUITEMID_CHILD_ARRAY, REFIID iid, UINT*,
                                       void** object) {
    ++uiObjectRequests;
    *object = nullptr;
    return uiObject ? uiObject->QueryInterface(iid, object) : E_NOTIMPL;
}

HRESULT FakeShellFolder::GetDisplayNameOf(PCUITEMID_CHILD, SHGDNF flags, STRRET* name) {
    displayNameFlags.push_back(flags);
    if (displayNames.empty()) return E_FAIL;
    DisplayNameReply reply = displayNames.front();
    displayNames.pop_front();
    std::memset(name, 0, sizeof *name);
    name->uType = reply.kind;
    if (reply.kind == STRRET_WSTR) {
        size_t bytes = (reply.wide.size() + 1) * sizeof(wchar_t);
        void* block = CoTaskMemAlloc(bytes);
        if (!block) return E_OUTOFMEMORY;
        std::memcpy(block, reply.wide.c_str(), bytes);
        name->pOleStr = static_cast<LPWSTR>(block);
        wideNamesHandedOut.push_back(block);
    } else if (reply.kind == STRRET_OFFSET) {
        name->uOffset = reply.offset;
    } else { // may fill all of cStr with no terminator
        std::memcpy(name->cStr, reply.text.data(), std::min(reply.text.size(), sizeof name->cStr));
    }
    return reply.status;
}

HRESULT FakeShellFolder::SetNameOf(HWND owner, PCUITEMID_CHILD item, LPCWSTR name, SHGDNF flags,
                                   PITEMID_CHILD* newItem) {
    setNames.push_back({owner, ItemIDListBytes(item), name ? name : L"", flags});
    if (newItem) *newItem = nullptr;
    if (SUCCEEDED(setNameResult) && newItem && setNameAllocator) {
        const std::string bytes = BuildItemIDList({"renamed"});
        void* block = setNameAllocator->Alloc(bytes.size());
        std::memcpy(block, bytes.data(), bytes.size());
        *newItem = static_cast<PITEMID_CHILD>(block);
        renamedListsHandedOut.push_back(block);
    }
    return setNameResult;
}

// TaskAllocatorSpy

// Heap-held and self-deleting: COM keeps a registered spy until the blocks
// allocated under it are freed, which may be after the test's scope ends.
// Locked: Wine's own threads use the task allocator too.
class TaskAllocatorSpy::Spy final : public IMallocSpy {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid != IID_IUnknown && iid != IID_IMallocSpy) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IMallocSpy*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return ULONG(left);
    }
    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T size) override { return size; }
    void* STDMETHODCALLTYPE PostAlloc(void* block) override {
        std::lock_guard lock(mutex_);
        if (block) ++allocations_;
        return block;
    }
    void* STDMETHODCALLTYPE PreFree(void* block, BOOL) override {
        std::lock_guard lock(mutex_);
        if (block) freed_.push_back(block);
        return block;
    }
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* block, SIZE_T size, void** newBlock, BOOL) override {
        *newBlock = block;
        return size;
    }
    void* STDMETHODCALLTYPE PostRealloc(void* block, BOOL) override { return block; }
    void* STDMETHODCALLTYPE PreGetSize(void* block, BOOL) override { return block; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T size, BOOL) override { return size; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* block, BOOL) override { return block; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int result) override { return result; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}

    int Allocations() {
        std::lock_guard lock(mutex_);
        return allocations_;
    }
    int Frees() {
        std::lock_guard lock(mutex_);
        return int(freed_.size());
    }
    bool WasFreed(void* block) {
        std::lock_guard lock(mutex_);
        return std::find(freed_.begin(), freed_.end(), block) != freed_.end();
    }

  private:
    LONG references_ = 1;
    std::mutex mutex_;
    int allocations_ = 0;
    std::vector<void*> freed_;
};

TaskAllocatorSpy::TaskAllocatorSpy() {
    // Its first reference, taken over through the slot: MinGW-w64's Attach
    // would add one more.
    *spy_.GetAddressOf() = new Spy;
    registered_ = SUCCEEDED(CoRegisterMallocSpy(spy_.Get()));
}

TaskAllocatorSpy::~TaskAllocatorSpy() {
    if (registered_) CoRevokeMallocSpy(); // deferred by COM while spied blocks live
}

int TaskAllocatorSpy::Allocations() const {
    return spy_->Allocations();
}
int TaskAllocatorSpy::Frees() const {
    return spy_->Frees();
}
bool TaskAllocatorSpy::WasFreed(void* block) const {
    return spy_->WasFreed(block);
}
