// The main window's texts, in the ANSI code page (cp932) at run time.
#pragma once

namespace texts {

inline constexpr char kCaption[] = "Kelvane";
inline constexpr char kInstruction[] =
    "◆ 解除したいﾃﾞｨﾚｸﾄﾘを指定して「処理開始」ﾎﾞﾀﾝを押して下さい。";
inline constexpr char kBanner[] = "Kelvane  Copyright (C) 2026 Tarnwick  無断転載を禁じます。";

inline constexpr char kDrive[] = "ﾄﾞﾗｲﾌﾞ";
inline constexpr char kDeskTop[] = "ﾃﾞｽｸﾄｯﾌﾟ";
inline constexpr char kStart[] = "処理開始";
inline constexpr char kStop[] = "中止";
inline constexpr char kQuit[] = "終了";
inline constexpr char kAbout[] = "ｿﾌﾄについて";

// The walk's messages; the count and the counter word follow the last two.
inline constexpr char kAcquiring[] = "ﾌｧｲﾙﾃﾞｰﾀを獲得中です...";
inline constexpr char kStopped[] = "中止しました！\r読みとり専用解除数：";
inline constexpr char kCompleted[] = "完了しました！\r読みとり専用解除数：";
inline constexpr char kItems[] = "件";
// What a walk could not do: each heads a count in the result line and in the
// box, and a named entry or folder in the box.
inline constexpr char kNotCleared[] = "解除できなかった項目：";
inline constexpr char kNotListed[] = "開けなかったﾃﾞｨﾚｸﾄﾘ：";
// A start folder that cannot be walked at all; the folder and the system's
// reason follow.
inline constexpr char kStartNotOpened[] = "ﾃﾞｨﾚｸﾄﾘを開けませんでした：";
// Around a system's reason, and where the system has no text for it.
inline constexpr char kReasonOpen[] = "（";
inline constexpr char kReasonClose[] = "）";
inline constexpr char kErrorCode[] = "ｴﾗｰ ";

} // namespace texts
