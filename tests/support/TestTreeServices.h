// The folder tree's services as tests give them: a clock moved by hand whose
// pauses are recorded and never waited (or, for a person's real drag, the
// system's clock); message boxes recorded and never shown; shell execution,
// drive types, the verbs and the allocator each the system's own unless the
// test puts its own in.
#pragma once

#include "folder_tree/TreeServices.h"

#include <functional>
#include <string>
#include <vector>

class TestTreeServices : public TTreeServices {
  public:
    DWORD now = 1000;
    bool realClock = false;
    std::vector<DWORD> pauses;
    struct Message {
        HWND owner;
        std::string text, caption;
        UINT type;
    };
    std::vector<Message> messages;
    // The owners of the boxes shown with `text`, in order.
    std::vector<HWND> OwnersOf(const std::string& text) const {
        std::vector<HWND> owners;
        for (const Message& m : messages)
            if (m.text == text) owners.push_back(m.owner);
        return owners;
    }

    IMalloc* malloc = nullptr;
    std::function<BOOL(SHELLEXECUTEINFOA*)> execute;
    std::function<UINT(const char*)> driveType;
    std::function<bool(HWND, const std::string&, TShellVerb)> pathVerb;
    std::function<bool(HWND, IShellFolder*, LPCITEMIDLIST, TShellVerb)> itemVerb;

    Microsoft::WRL::ComPtr<IMalloc> Malloc() override {
        return malloc ? Microsoft::WRL::ComPtr<IMalloc>(malloc) : TTreeServices::Malloc();
    }
    DWORD Tick() override { return realClock ? TTreeServices::Tick() : now; }
    void Pause(DWORD milliseconds) override {
        pauses.push_back(milliseconds);
        if (realClock) TTreeServices::Pause(milliseconds);
    }
    BOOL Execute(SHELLEXECUTEINFOA* info) override {
        return execute ? execute(info) : TTreeServices::Execute(info);
    }
    int ShowMessage(HWND owner, const char* text, const char* caption, UINT type) override {
        messages.push_back({owner, text, caption, type});
        return IDOK;
    }
    UINT DriveType(const char* root) override {
        return driveType ? driveType(root) : TTreeServices::DriveType(root);
    }
    bool PathVerb(HWND wnd, const std::string& path, TShellVerb verb) override {
        return pathVerb ? pathVerb(wnd, path, verb) : TTreeServices::PathVerb(wnd, path, verb);
    }
    bool ItemVerb(HWND wnd, IShellFolder* folder, LPCITEMIDLIST item, TShellVerb verb) override {
        return itemVerb ? itemVerb(wnd, folder, item, verb)
                        : TTreeServices::ItemVerb(wnd, folder, item, verb);
    }
};
