#include "folder_tree/WatchRound.h"

UINT TreeWatchMessage() {
    static const UINT message = RegisterWindowMessageW(L"Kelvane.FolderTreeWatch");
    return message;
}

std::shared_ptr<TWatchRound> TWatchRound::Start(std::vector<TWatchProbe> probes, TOpenRoot openRoot,
                                                HWND window) {
    std::shared_ptr<TWatchRound> round(
        new TWatchRound(std::move(probes), std::move(openRoot), window));
    Launch(round);
    return round;
}

void TWatchRound::Work() {
    for (TWatchProbe& probe : probes_) {
        if (Cancelled()) return;
        switch (probe.kind) {
        case TWatchProbe::kResolve:
            probe.opened = ReadFolderIdentity(probe.path, probe.identity);
            break;
        case TWatchProbe::kLastWrite:
            probe.lastWrite = FolderLastWrite(probe.path);
            break;
        case TWatchProbe::kOpenRoot:
            probe.root.reset(openRoot_(probe.path));
            break;
        }
    }
}
