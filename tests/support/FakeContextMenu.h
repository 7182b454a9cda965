// A scripted shell context menu for unit tests: it fills menus with items
// of the test's choosing and records what it is asked. Like the other fakes
// it belongs to the test (CountedObject).
#pragma once

#include "tests/support/CountedObject.h"

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

class FakeContextMenu : public CountedObject<IContextMenu2> {
  public:
    struct Item {
        UINT offset; // identifier = idCmdFirst + offset
        std::string label;
        UINT flags = MF_STRING;
    };
    struct Query {
        HMENU menu;
        UINT indexMenu, idCmdFirst, idCmdLast, flags;
    };
    struct MenuMsg {
        UINT msg;
        WPARAM wp;
        LPARAM lp;
    };

    std::vector<Item> items;
    bool answersMenu2 = true; // QueryInterface hands out IContextMenu2
    HRESULT queryResult = S_OK;
    HRESULT invokeResult = S_OK;
    HRESULT handleResult = E_NOTIMPL;

    std::vector<Query> queries;
    std::vector<std::string> invoked; // the CMINVOKECOMMANDINFO bytes, cbSize of them
    std::vector<MenuMsg> menuMsgs;

    // The invocation record of call `k`.
    const CMINVOKECOMMANDINFO& Invocation(size_t k) const {
        return *reinterpret_cast<const CMINVOKECOMMANDINFO*>(invoked.at(k).data());
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst,
                                               UINT idCmdLast, UINT flags) override;
    HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO* info) override;
    HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR, UINT, UINT*, CHAR*, UINT) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE HandleMenuMsg(UINT msg, WPARAM wp, LPARAM lp) override;
};
