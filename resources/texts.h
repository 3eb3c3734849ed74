// The program's own texts that no resource holds, each written once.
// UTF-8, as every text inside the program; they reach the system as UTF-16.
#pragma once

namespace texts {

// Window title, message box caption, tray tip and the single-instance mutex.
inline constexpr char kAppName[] = "Vistaloom";
// The tray tip while the rotation holds its change back for a user busy in full screen.
inline constexpr char kTrayTipPaused[] = "Vistaloom - 全画面表示中のため一時停止";
inline constexpr char kChangeEventName[] = "Vistaloom_Change_Event";

inline constexpr char kSettingsFileMissing[] =
    "Vistaloom.iniファイルがありませんでした\n初期状態でプログラムを開始します";
inline constexpr char kSettingsFileDamaged[] =
    "Vistaloom.iniファイルが壊れています\n初期状態でプログラムを開始します";
// %s: the name the damaged file was kept under, Vistaloom.ini.bad for the first.
inline constexpr char kSettingsFileKeptAs[] = "\n壊れたファイルは%sとして残しました";
// A file that is there but cannot be read is never replaced by the defaults.
inline constexpr char kSettingsFileUnreadable[] =
    "Vistaloom.iniファイルが開けませんでした\n初期状態でプログラムを開始します";
inline constexpr char kSettingsFileLeftAlone[] = "\n終了時にVistaloom.iniファイルは上書きしません";
inline constexpr char kFileOpenFailed[] = "ファイルが開けませんでした";
inline constexpr char kHotkeyFailed[] = "ホットキーの登録に失敗しました\n他のアプリケーションで使用されています";

inline constexpr char kEnterInteger[] = "整数を入力してください。";

// Interval units, as the interval page labels them.
inline constexpr char kUnitHours[] = "時間";
inline constexpr char kUnitMinutes[] = "分";
inline constexpr char kUnitSeconds[] = "秒";

// Display methods in the image list and the properties dialog. The list
// writes the short tile text into a row it has just changed.
inline constexpr char kMethodNone[] = "なし";
inline constexpr char kMethodTile[] = "タイル表示";
inline constexpr char kMethodTileShort[] = "タイル";
inline constexpr char kMethodEnlarge[] = "拡大表示";
inline constexpr char kMethodFill[] = "画面いっぱい";
inline constexpr char kMethodFit[] = "画面に合わせる";

// Settings dialog tabs and the image list's columns.
inline constexpr const char* kTabTexts[] = {"画像登録", "更新設定", "上司が来たぞ！", "その他設定"};
inline constexpr const char* kColumnTexts[] = {"画像ファイル名", "表示方法", "表示倍率", "透過率", "画像パス"};
inline constexpr char kBrowseTip[] = "参照";
inline constexpr char kPictureFilter[] =
    "Image(*.jpg;*.jpeg;*.bmp;*.gif)|*.jpg;*.jpeg;*.bmp;*.gif|Jpeg Image(*.jpg;*.jpeg)|*.jpg;*.jpeg|"
    "Bitmap Image(*.bmp)|*.bmp|GIF Image(*.gif)|*.gif|All Files(*.*)|*.*||";
inline constexpr char kVersionSeparator[] = " Ver. ";

// File names in the program folder and the Startup folder.
inline constexpr char kProgramFile[] = "\\Vistaloom.exe";
inline constexpr char kStartupShortcut[] = "\\Vistaloom.lnk";

inline constexpr char kHelpFile[] = "Vistaloom.chm";

}  // namespace texts
