// Resource ids, grouped by kind. The numbers are fixed: the program's
// dialogs, menu and icons are known by them.
#pragma once
