/* Another program's windows for the capture tests: a separate process (so its _NET_WM_PID is not
 * the test's) that maps plain-coloured windows as told on standard input, one command a line:
 *
 *   window TITLE CLASS RRGGBB WIDTH HEIGHT X Y [transient] [dock] [override] [redirect] [latin1]
 *          [icons] [badicon]
 *       maps a window and answers its id as "0x..."; "-" for TITLE or CLASS leaves that property
 *       unset; "redirect" has the server keep the window's pixels in a composite pixmap; "latin1"
 *       sets only WM_NAME, as a STRING in Latin-1; "icons" sets a red 16x16 and a green 32x32
 *       _NET_WM_ICON; "badicon" one that announces more pixels than it holds
 *   unmap ID | map ID | raise ID | destroy ID      answers "ok"
 *
 * The window background is the colour, so the server paints it without help. The program ends
 * when its input closes. */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xcomposite.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static Display* d;

static Atom atom(const char* name) { return XInternAtom(d, name, False); }

static unsigned long pixelOf(const char* hex)
{
    unsigned long rgb = strtoul(hex, NULL, 16);
    XColor c;
    c.red = (unsigned short)(((rgb >> 16) & 0xFF) * 257);
    c.green = (unsigned short)(((rgb >> 8) & 0xFF) * 257);
    c.blue = (unsigned short)((rgb & 0xFF) * 257);
    c.flags = DoRed | DoGreen | DoBlue;
    XAllocColor(d, DefaultColormap(d, DefaultScreen(d)), &c);
    return c.pixel;
}

static Window makeWindow(char* args)
{
    char* save = NULL;
    const char* title = strtok_r(args, " ", &save);
    const char* cls = strtok_r(NULL, " ", &save);
    const char* colour = strtok_r(NULL, " ", &save);
    const char* w = strtok_r(NULL, " ", &save);
    const char* h = strtok_r(NULL, " ", &save);
    const char* x = strtok_r(NULL, " ", &save);
    const char* y = strtok_r(NULL, " ", &save);
    if (!title || !cls || !colour || !w || !h || !x || !y)
        return 0;
    int transient = 0, dock = 0, override = 0, redirect = 0, latin1 = 0, icons = 0, badicon = 0;
    for (const char* flag; (flag = strtok_r(NULL, " ", &save));) {
        transient |= strcmp(flag, "transient") == 0;
        dock |= strcmp(flag, "dock") == 0;
        override |= strcmp(flag, "override") == 0;
        redirect |= strcmp(flag, "redirect") == 0;
        latin1 |= strcmp(flag, "latin1") == 0;
        icons |= strcmp(flag, "icons") == 0;
        badicon |= strcmp(flag, "badicon") == 0;
    }
    XSetWindowAttributes attrs;
    attrs.background_pixel = pixelOf(colour);
    attrs.override_redirect = override;
    const Window root = DefaultRootWindow(d);
    const Window win = XCreateWindow(d, root, atoi(x), atoi(y), (unsigned)atoi(w), (unsigned)atoi(h), 0,
                                     CopyFromParent, InputOutput, CopyFromParent, CWBackPixel | CWOverrideRedirect,
                                     &attrs);
    const long pid = (long)getpid();
    XChangeProperty(d, win, atom("_NET_WM_PID"), XA_CARDINAL, 32, PropModeReplace, (unsigned char*)&pid, 1);
    if (strcmp(title, "-") != 0 && latin1) {
        /* UTF-8 of U+0000..U+00FF to Latin-1 */
        char text[512];
        size_t n = 0;
        for (const unsigned char* p = (const unsigned char*)title; *p && n + 1 < sizeof text; ++p) {
            if ((p[0] == 0xC2 || p[0] == 0xC3) && p[1]) {
                text[n++] = (char)(((p[0] & 0x03) << 6) | (p[1] & 0x3F));
                ++p;
            } else {
                text[n++] = (char)p[0];
            }
        }
        XChangeProperty(d, win, XA_WM_NAME, XA_STRING, 8, PropModeReplace, (unsigned char*)text, (int)n);
    } else if (strcmp(title, "-") != 0) {
        XChangeProperty(d, win, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8, PropModeReplace,
                        (const unsigned char*)title, (int)strlen(title));
        XStoreName(d, win, title);
    }
    if (strcmp(cls, "-") != 0) {
        XClassHint hint;
        hint.res_name = (char*)cls;
        hint.res_class = (char*)cls;
        XSetClassHint(d, win, &hint);
    }
    if (transient)
        XSetTransientForHint(d, win, root);
    if (dock) {
        const long type = (long)atom("_NET_WM_WINDOW_TYPE_DOCK");
        XChangeProperty(d, win, atom("_NET_WM_WINDOW_TYPE"), XA_ATOM, 32, PropModeReplace,
                        (unsigned char*)&type, 1);
    }
    if (icons) {
        static long data[2 + 16 * 16 + 2 + 32 * 32];
        long* p = data;
        *p++ = 16;
        *p++ = 16;
        for (int i = 0; i < 16 * 16; ++i)
            *p++ = (long)0xFFFF0000ul;
        *p++ = 32;
        *p++ = 32;
        for (int i = 0; i < 32 * 32; ++i)
            *p++ = (long)0xFF00FF00ul;
        XChangeProperty(d, win, atom("_NET_WM_ICON"), XA_CARDINAL, 32, PropModeReplace, (unsigned char*)data,
                        (int)(sizeof data / sizeof data[0]));
    }
    if (badicon) {
        long data[2 + 4] = {100, 100, 0, 0, 0, 0};
        XChangeProperty(d, win, atom("_NET_WM_ICON"), XA_CARDINAL, 32, PropModeReplace, (unsigned char*)data, 6);
    }
    if (redirect)
        XCompositeRedirectWindow(d, win, CompositeRedirectAutomatic);
    XMapRaised(d, win);
    XSync(d, False);
    return win;
}

int main(void)
{
    d = XOpenDisplay(NULL);
    if (!d) {
        fprintf(stderr, "no X display\n");
        return 1;
    }
    char line[1024];
    while (fgets(line, sizeof line, stdin)) {
        line[strcspn(line, "\r\n")] = 0;
        if (strncmp(line, "window ", 7) == 0) {
            printf("0x%lx\n", (unsigned long)makeWindow(line + 7));
        } else {
            char verb[16];
            unsigned long id = 0;
            if (sscanf(line, "%15s %lx", verb, &id) == 2) {
                if (strcmp(verb, "unmap") == 0)
                    XUnmapWindow(d, id);
                else if (strcmp(verb, "map") == 0)
                    XMapWindow(d, id);
                else if (strcmp(verb, "raise") == 0)
                    XRaiseWindow(d, id);
                else if (strcmp(verb, "destroy") == 0)
                    XDestroyWindow(d, id);
            }
            XSync(d, False);
            printf("ok\n");
        }
        fflush(stdout);
    }
    XCloseDisplay(d);
    return 0;
}
