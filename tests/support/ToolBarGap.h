// The vertical gap that this platform's tool bar leaves after a wrapping
// separator of a given width. Windows' comctl32 makes it two thirds of the
// width (11 for 17); Wine's leaves a fixed gap whatever the width, so tests
// expect what a reference tool bar measures here.
#pragma once

int WrappedSeparatorGap(int separatorWidth, int buttonWidth, int buttonHeight);
