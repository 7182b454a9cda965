// The tree-view wrapper: a common tree-view control whose items are the
// node objects of its node list (gui/TreeNodes.h).
#pragma once

#include "gui/TreeNodes.h"
#include "gui/WinControl.h"

#include <commctrl.h>

enum TBorderStyle { bsNoBorder, bsSingle };

struct TTreeViewProps {
    TControlProps control = {};
    int indent = 0; // 0: the control's own indent
    bool showButtons = true;
    bool showLines = true;
    bool showRoot = true;
    bool hideSelection = true;
    bool readOnly = false;
    TBorderStyle borderStyle = bsSingle;
};

class TCustomTreeView : public TWinControl {
  public:
    TCustomTreeView(TComponent* owner, TWinControl* parent, const TTreeViewProps& props);

    TTreeNodes& Items() { return items_; }
    TTreeNode* Selected() const;
    void SetSelected(TTreeNode* node);
    TTreeNode* TopItem() const;
    void SetTopItem(TTreeNode* node);
    TTreeNode* GetNodeAt(int x, int y) const;

    int Indent() const { return props_.indent; }
    void SetIndent(int indent);
    bool ShowButtons() const { return props_.showButtons; }
    void SetShowButtons(bool value) { SetStyleFlag(props_.showButtons, value, TVS_HASBUTTONS); }
    bool ShowLines() const { return props_.showLines; }
    void SetShowLines(bool value) { SetStyleFlag(props_.showLines, value, TVS_HASLINES); }
    bool ShowRoot() const { return props_.showRoot; }
    void SetShowRoot(bool value) { SetStyleFlag(props_.showRoot, value, TVS_LINESATROOT); }
    bool HideSelection() const { return props_.hideSelection; }
    void SetHideSelection(bool value);
    bool ReadOnly() const { return props_.readOnly; }
    void SetReadOnly(bool value);
    TBorderStyle BorderStyle() const { return props_.borderStyle; }
    void SetBorderStyle(TBorderStyle style);
    HIMAGELIST Images() const { return images_; }
    void SetImages(HIMAGELIST images);

    bool HandleNotify(NMHDR* header, LRESULT& result) override;

  protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    TColor DefaultColor() const override { return clWindow; }
    void ColorChanged() override;

    // Hooks for descendants, which publish events of their own.
    virtual bool CanExpand(TTreeNode*) { return true; }
    // A node opened by TTreeNode::Expand without the control's notices,
    // which it sends only for a node's first opening: whatever an opening
    // by hand does beyond filling the node.
    virtual void ExpandedWithoutNotice(TTreeNode*) {}
    // The same for a node closed by TTreeNode::Collapse.
    virtual void CollapsedWithoutNotice(TTreeNode*) {}
    virtual void Change(TTreeNode*) {} // the selection changed
    virtual void DblClick() {}
    // The image of a node given as I_IMAGECALLBACK, normal or selected,
    // asked when the control first needs it; the control keeps what it is
    // given. I_IMAGECALLBACK (the default): none yet, asked again.
    virtual int NodeImageIndex(TTreeNode*, bool /*selected*/) { return I_IMAGECALLBACK; }
    // The end of a label edit: the default gives the edited node the typed
    // text (none when the edit was cancelled).
    virtual void LabelEdited(TVITEMW& item);

  private:
    friend class TTreeNode; // tells of the openings that came without notices
    void SetStyleFlag(bool& field, bool value, DWORD style);
    void GiveImages(TTreeNode* node, TVITEMW& item);

    TTreeViewProps props_;
    TTreeNodes items_;
    // An edit under way: Wine reports the end of some edits twice.
    bool editingLabel_ = false;
    int expandingNotices_ = 0; // expanding notices so far
    HIMAGELIST images_ = nullptr;
};
