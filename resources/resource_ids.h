// Resource ids, grouped by kind. The numbers are fixed: the program's
// dialogs, menu and icons are known by them.
#pragma once

// Icons
#define IDI_ROTATION_ENABLED 128
#define IDI_ROTATION_DISABLED 134

// Menus
#define IDR_TRAY_MENU 133

// Tray menu commands
#define ID_APP_EXIT 32771
#define ID_TOGGLE_ROTATION 32772
#define ID_RESTORE_WALLPAPER 32773
#define ID_ERASE_WALLPAPER 32774
#define ID_SHOW_SETTINGS 32775
#define ID_SHOW_HELP 32776
#define ID_SHOW_ABOUT 32777
#define ID_SAVE_ICON_LAYOUT 32778
#define ID_RESTORE_ICON_LAYOUT 32779
#define ID_SORT_BY_NAME 32780
#define ID_SORT_BY_TYPE 32781
#define ID_SORT_BY_SIZE 32782
#define ID_SORT_BY_DATE 32783
#define ID_STANDARD_ICONS 32785
#define ID_SMALL_ICONS 32786
#define ID_HIDE_ICONS 32787
#define ID_NEXT_PICTURE 32788
#define ID_PREVIOUS_PICTURE 32789
