// The main window's texts, in UTF-16 whatever the system's code page.
#pragma once

namespace texts {

inline constexpr wchar_t kCaption[] = L"Kelvane";
inline constexpr wchar_t kInstruction[] =
    L"◆ 解除したいﾃﾞｨﾚｸﾄﾘを指定して「処理開始」ﾎﾞﾀﾝを押して下さい。";
inline constexpr wchar_t kBanner[] = L"Kelvane  Copyright (C) 2026 Tarnwick  無断転載を禁じます。";

inline constexpr wchar_t kDrive[] = L"ﾄﾞﾗｲﾌﾞ";
inline constexpr wchar_t kDeskTop[] = L"ﾃﾞｽｸﾄｯﾌﾟ";
inline constexpr wchar_t kStart[] = L"処理開始";
inline constexpr wchar_t kStop[] = L"中止";
inline constexpr wchar_t kQuit[] = L"終了";
inline constexpr wchar_t kAbout[] = L"ｿﾌﾄについて";

// The walk's messages; the count and the counter word follow the last two.
inline constexpr wchar_t kAcquiring[] = L"ﾌｧｲﾙﾃﾞｰﾀを獲得中です...";
inline constexpr wchar_t kStopped[] = L"中止しました！\r読みとり専用解除数：";
inline constexpr wchar_t kCompleted[] = L"完了しました！\r読みとり専用解除数：";
inline constexpr wchar_t kItems[] = L"件";
// What a walk could not do: each heads a count in the result line and in the
// box, and a named entry or folder in the box.
inline constexpr wchar_t kNotCleared[] = L"解除できなかった項目：";
inline constexpr wchar_t kNotListed[] = L"開けなかったﾃﾞｨﾚｸﾄﾘ：";
// A start folder that cannot be walked at all; the folder and the system's
// reason follow.
inline constexpr wchar_t kStartNotOpened[] = L"ﾃﾞｨﾚｸﾄﾘを開けませんでした：";
// Around a system's reason, and where the system has no text for it.
inline constexpr wchar_t kReasonOpen[] = L"（";
inline constexpr wchar_t kReasonClose[] = L"）";
inline constexpr wchar_t kErrorCode[] = L"ｴﾗｰ ";

} // namespace texts
