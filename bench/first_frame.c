/* bench_first_frame: the time from starting a program to its first frame on the X screen.
 *   bench_first_frame [--shaped] [--min N] [--timeout S] X Y W H RRGGBB[,RRGGBB...] -- COMMAND...
 * Waits until none of the colours shows in the screen rectangle (X, Y, W, H) (a window of an
 * earlier run may still be going), then starts COMMAND in its own process group and polls the
 * rectangle until at least N pixels (default 20) of one of the colours show there; with --shaped,
 * a mapped top-level window whose bounding shape is not a plain rectangle must exist too. Prints
 * "frame MILLISECONDS" (or "timeout" / "exited"), then ends the command's process group (by the
 * pid it started) and waits for it. The clock starts just before the fork. */
#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

static int channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    unsigned long v = (pixel & mask) >> shift, max = mask >> shift;
    return (int)(v * 255 / max);
}

#define MAX_COLOURS 8
static int colours[MAX_COLOURS][3];
static int colour_count;

/* The most pixels of any one of the colours in the rectangle. */
static int count_colour(Display* dpy, Window root, int x, int y, int w, int h) {
    XImage* img = XGetImage(dpy, root, x, y, (unsigned)w, (unsigned)h, AllPlanes, ZPixmap);
    if (!img) return 0;
    int n[MAX_COLOURS] = {0}, best = 0;
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            unsigned long p = XGetPixel(img, i, j);
            int r = channel(p, img->red_mask), g = channel(p, img->green_mask),
                b = channel(p, img->blue_mask);
            for (int c = 0; c < colour_count; ++c)
                if (abs(r - colours[c][0]) < 40 && abs(g - colours[c][1]) < 40 && abs(b - colours[c][2]) < 40)
                    ++n[c];
        }
    XDestroyImage(img);
    for (int c = 0; c < colour_count; ++c)
        if (n[c] > best) best = n[c];
    return best;
}

/* A mapped child of the root whose bounding shape has more than one rectangle. */
static int shaped_window_shown(Display* dpy, Window root) {
    Window r, parent, *children = NULL;
    unsigned n = 0;
    int found = 0;
    if (!XQueryTree(dpy, root, &r, &parent, &children, &n)) return 0;
    for (unsigned i = 0; i < n && !found; ++i) {
        XWindowAttributes a;
        if (!XGetWindowAttributes(dpy, children[i], &a) || a.map_state != IsViewable) continue;
        int count = 0, ordering = 0;
        XRectangle* rects = XShapeGetRectangles(dpy, children[i], ShapeBounding, &count, &ordering);
        if (rects) XFree(rects);
        if (count > 1) found = 1;
    }
    if (children) XFree(children);
    return found;
}

static int handler_error(Display* dpy, XErrorEvent* e) {
    (void)dpy;
    (void)e; /* a window that went away between the query and the look at it */
    return 0;
}

int main(int argc, char** argv) {
    int shaped = 0, min_pixels = 20, a = 1;
    double timeout_s = 60;
    while (a < argc && strncmp(argv[a], "--", 2) == 0 && strcmp(argv[a], "--") != 0) {
        if (!strcmp(argv[a], "--shaped"))
            shaped = 1;
        else if (!strcmp(argv[a], "--min") && a + 1 < argc)
            min_pixels = atoi(argv[++a]);
        else if (!strcmp(argv[a], "--timeout") && a + 1 < argc)
            timeout_s = atof(argv[++a]);
        ++a;
    }
    if (argc - a < 7 || strcmp(argv[a + 5], "--") != 0) {
        fprintf(
            stderr,
            "usage: bench_first_frame [--shaped] [--min N] [--timeout S] X Y W H RRGGBB[,...] -- CMD...\n");
        return 2;
    }
    int x = atoi(argv[a]), y = atoi(argv[a + 1]), w = atoi(argv[a + 2]), h = atoi(argv[a + 3]);
    for (char* p = argv[a + 4]; *p && colour_count < MAX_COLOURS;) {
        char* end;
        unsigned long rgb = strtoul(p, &end, 16);
        if (end == p) break;
        colours[colour_count][0] = (int)(rgb >> 16) & 255;
        colours[colour_count][1] = (int)(rgb >> 8) & 255;
        colours[colour_count][2] = (int)rgb & 255;
        ++colour_count;
        p = *end == ',' ? end + 1 : end;
    }
    char** command = argv + a + 6;

    Display* dpy = XOpenDisplay(NULL);
    if (!dpy) {
        fprintf(stderr, "cannot open display\n");
        return 2;
    }
    XSetErrorHandler(handler_error);
    Window root = DefaultRootWindow(dpy);
    for (int i = 0; count_colour(dpy, root, x, y, w, h) >= min_pixels; ++i) {
        if (i == 500) {
            fprintf(stderr, "the colour stays on the screen\n");
            return 2;
        }
        usleep(10 * 1000);
    }

    const double start = now_ms();
    pid_t child = fork();
    if (child < 0) return 2;
    if (child == 0) {
        setpgid(0, 0);
        execvp(command[0], command);
        _exit(127);
    }
    setpgid(child, child);

    int result = 1;
    for (;;) {
        const double t = now_ms() - start;
        if (count_colour(dpy, root, x, y, w, h) >= min_pixels &&
            (!shaped || shaped_window_shown(dpy, root))) {
            printf("frame %.1f\n", t);
            result = 0;
            break;
        }
        int status;
        if (waitpid(child, &status, WNOHANG) == child) {
            printf("exited\n");
            child = 0;
            break;
        }
        if (t > timeout_s * 1000) {
            printf("timeout\n");
            break;
        }
        struct timespec pause = {0, 2 * 1000 * 1000};
        nanosleep(&pause, NULL);
    }
    fflush(stdout);
    if (child > 0) {
        kill(-child, SIGTERM);
        for (int i = 0; i < 50 && waitpid(child, NULL, WNOHANG) == 0; ++i) usleep(100 * 1000);
        kill(-child, SIGKILL);
        waitpid(child, NULL, 0);
    }
    XCloseDisplay(dpy);
    return result;
}
