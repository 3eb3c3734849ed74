/* A stand-in for libXinerama.so.1, built for the host and found first on
 * LD_LIBRARY_PATH: Wine asks it for the monitors, and it answers with the
 * ones a test chose in VISTALOOM_TEST_MONITORS, "WxH+X+Y" rectangles of the
 * X screen separated by commas, the primary monitor first. Only what Wine
 * calls is here; the types are those of the X headers. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef int Bool;
typedef int Status;
typedef struct _XDisplay Display;

typedef struct {
    int screen_number;
    short x_org;
    short y_org;
    short width;
    short height;
} XineramaScreenInfo;

Bool XineramaQueryExtension(Display *display, int *event_base, int *error_base) {
    (void)display;
    *event_base = 0;
    *error_base = 0;
    return 1;
}

Status XineramaQueryVersion(Display *display, int *major, int *minor) {
    (void)display;
    *major = 1;
    *minor = 1;
    return 1;
}

Bool XineramaIsActive(Display *display) {
    (void)display;
    return 1;
}

/* The caller frees the array with XFree, which is free(). */
XineramaScreenInfo *XineramaQueryScreens(Display *display, int *number) {
    const char *chosen = getenv("VISTALOOM_TEST_MONITORS");
    XineramaScreenInfo *screens = calloc(16, sizeof(XineramaScreenInfo));
    int count = 0;
    (void)display;
    *number = 0;
    if (!chosen || !screens) {
        free(screens);
        return NULL;
    }
    while (count < 16 && *chosen) {
        int width, height, x, y, used = 0;
        if (sscanf(chosen, "%dx%d+%d+%d%n", &width, &height, &x, &y, &used) != 4) break;
        screens[count] = (XineramaScreenInfo){count, (short)x, (short)y, (short)width, (short)height};
        ++count;
        chosen += used;
        if (*chosen == ',') ++chosen;
    }
    *number = count;
    return screens;
}
