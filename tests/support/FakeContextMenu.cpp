#include "tests/support/FakeContextMenu.h"

#include <algorithm>

HRESULT FakeContextMenu::QueryInterface(REFIID iid, void** object) {
    if (iid == IID_IUnknown || iid == IID_IContextMenu ||
        (answersMenu2 && iid == IID_IContextMenu2)) {
        *object = static_cast<IContextMenu2*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT FakeContextMenu::QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst,
                                          UINT idCmdLast, UINT flags) {
    queries.push_back({menu, indexMenu, idCmdFirst, idCmdLast, flags});
    if (FAILED(queryResult)) return queryResult;
    UINT next = 0;
    for (const Item& item : items) {
        AppendMenuA(menu, item.flags, idCmdFirst + item.offset,
                    (item.flags & MF_SEPARATOR) ? nullptr : item.label.c_str());
        next = std::max(next, item.offset + 1);
    }
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, next);
}

HRESULT FakeContextMenu::InvokeCommand(CMINVOKECOMMANDINFO* info) {
    invoked.emplace_back(reinterpret_cast<const char*>(info), info->cbSize);
    return invokeResult;
}

HRESULT FakeContextMenu::HandleMenuMsg(UINT msg, WPARAM wp, LPARAM lp) {
    menuMsgs.push_back({msg, wp, lp});
    return handleResult;
}
