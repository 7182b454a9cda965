#include "folder_tree/TreeServices.h"

#include "folder_tree/ShellFolders.h"

using Microsoft::WRL::ComPtr;

ComPtr<IMalloc> TTreeServices::Malloc() {
    return ShellMalloc();
}

ComPtr<IShellFolder> TTreeServices::Desktop() {
    return DesktopFolder();
}

TTreeServices& SystemTreeServices() {
    static TTreeServices services;
    return services;
}
