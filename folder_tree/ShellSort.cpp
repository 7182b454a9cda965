#include "folder_tree/ShellSort.h"

#include "folder_tree/TreeItemData.h"

namespace {

TTVITEMDATA* Record(LPARAM node) {
    return NodeData(reinterpret_cast<const TTreeNode*>(node));
}

} // namespace

int CALLBACK CompareByShell(LPARAM node1, LPARAM node2, LPARAM) {
    TTVITEMDATA* data1 = Record(node1);
    TTVITEMDATA* data2 = Record(node2);
    HRESULT hr =
        data1->ParentFolder->CompareIDs(0, data1->RelativeID.get(), data2->RelativeID.get());
    if (FAILED(hr)) return 0;
    return static_cast<short>(HRESULT_CODE(hr)); // the code is a signed 16-bit order
}

int CALLBACK CompareFilesFirst(LPARAM node1, LPARAM node2, LPARAM sortDatum) {
    bool folder1 = (Record(node1)->Attributes & SFGAO_FOLDER) != 0;
    bool folder2 = (Record(node2)->Attributes & SFGAO_FOLDER) != 0;
    if (folder1 != folder2) return folder1 ? 1 : -1;
    return CompareByShell(node1, node2, sortDatum);
}
