// Icons of nodes listed from a slow folder. A node's icon is otherwise
// looked up when the node is first drawn, on the window's thread; for a
// folder that was slow to list, that lookup could hold the window as long.
// Such a node is drawn with the system's default icon first; the nodes drawn
// in one paint are gathered into one batch whose icons a thread looks up,
// and each node is drawn again with its own when they come.
#include "folder_tree/FTVEX_D3.h"

#include "folder_tree/ShellIcons.h"
#include "folder_tree/TreeItemData.h"

#include <algorithm>

namespace {

enum : WPARAM { kStartBatch = 0, kBatchDone = 1 };

} // namespace

int TFolderTreeViewEx::LaterIcon(TTreeNode* node, bool open) {
    const TTVITEMDATA* data = NodeData(node);
    if (data->Icons[open] >= 0) return data->Icons[open];
    const bool waiting =
        std::find(FIconQueue.begin(), FIconQueue.end(), node) != FIconQueue.end() ||
        std::find(FIconBatch.begin(), FIconBatch.end(), node) != FIconBatch.end();
    if (!waiting) {
        // The first of a paint asks for the batch once the paint is over.
        if (FIconQueue.empty() && !FIconJob)
            PostMessageW(Handle(), TreeIconsMessage(), kStartBatch, 0);
        FIconQueue.push_back(node);
    }
    const bool folder = !FShowFile || (data->Attributes & SFGAO_FOLDER);
    return GetDefaultIconIndex(folder, open);
}

void TFolderTreeViewEx::IconsMessage(WPARAM kind) {
    if (kind == kBatchDone && FIconJob && FIconJob->Done()) {
        const auto& icons = FIconJob->Result();
        for (size_t i = 0; i < FIconBatch.size() && i < icons.size(); ++i) {
            TTreeNode* node = FIconBatch[i];
            TTVITEMDATA* data = NodeData(node);
            if (!data) continue; // gone meanwhile
            data->Icons[0] = icons[i].normal;
            data->Icons[1] = icons[i].open;
            // Drawn again, the node is asked for its images anew.
            node->SetImages(I_IMAGECALLBACK, I_IMAGECALLBACK);
        }
        FIconJob.reset();
        FIconBatch.clear();
    }
    if (FIconJob || FIconQueue.empty()) return;
    std::vector<UniqueItemIDList> items;
    for (TTreeNode* node : FIconQueue)
        items.push_back(ConcatItemIDLists(nullptr, NodeData(node)->AbsoluteID.get()));
    FIconBatch = std::move(FIconQueue);
    FIconQueue.clear();
    FIconJob = TIconJob::Start(std::move(items), Handle(), TreeIconsMessage());
}

void TFolderTreeViewEx::ForgetIconOf(const TTreeNode* node) {
    if (!NodeData(node) || !NodeData(node)->IconLater) return;
    std::erase(FIconQueue, node);
    std::replace(FIconBatch.begin(), FIconBatch.end(), const_cast<TTreeNode*>(node),
                 static_cast<TTreeNode*>(nullptr));
}

void TFolderTreeViewEx::CancelIcons() {
    if (FIconJob) FIconJob->Cancel();
    FIconJob.reset();
    FIconBatch.clear();
    FIconQueue.clear();
}
