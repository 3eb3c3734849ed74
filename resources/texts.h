// The program's own texts that no resource holds, each written once.
// Source is UTF-8; the cross build stores the literals as code page 932.
#pragma once

namespace texts {

// Window title, message box caption, tray tip and the single-instance mutex.
inline constexpr char kAppName[] = "Vistaloom";
inline constexpr char kChangeEventName[] = "Vistaloom_Change_Event";

inline constexpr char kSettingsFileMissing[] =
    "Vistaloom.iniファイルがありませんでした\n初期状態でプログラムを開始します";
inline constexpr char kSettingsFileDamaged[] =
    "Vistaloom.iniファイルが壊れています\n初期状態でプログラムを開始します";
inline constexpr char kSettingsFileKeptAs[] = "\n壊れたファイルはVistaloom.ini.badとして残しました";
inline constexpr char kFileOpenFailed[] = "ファイルが開けませんでした";
inline constexpr char kHotkeyFailed[] = "ホットキーの登録に失敗しました\n他のアプリケーションで使用されています";

// Registered window messages.
inline constexpr char kTrayMessage[] = "WM_NOTIFY_TRAYICON";
inline constexpr char kTaskbarCreated[] = "TaskbarCreated";

inline constexpr char kHelpFile[] = "Vistaloom.chm";

}  // namespace texts
