// Reads what the X server holds for the off-screen X window in which Wine
// keeps an OpenGL child window's frames, and writes it as a binary PPM. The
// Windows editor test starts it (Wine starts Unix programs as readily as
// Windows ones) to see that the frames reach the X side.
//
// Usage: gl-child-grab WIDTH HEIGHT OUT. Wine puts such a window at (0, 0)
// inside a 1 × 1 parent of its own; exactly one of the given size must exist.
// The window is redirected, so all of it can be read although none of it is
// on the screen.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void findChildren(Display *display, Window window, int width, int height, std::vector<Window> &found) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return;
    XWindowAttributes outer{};
    const bool tinyParent = XGetWindowAttributes(display, window, &outer) && outer.width == 1 && outer.height == 1;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes a{};
        if (tinyParent && XGetWindowAttributes(display, children[i], &a) && a.width == width &&
            a.height == height && a.x == 0 && a.y == 0)
            found.push_back(children[i]);
        findChildren(display, children[i], width, height, found);
    }
    if (children) XFree(children);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: gl-child-grab WIDTH HEIGHT OUT\n");
        return 2;
    }
    const int width = std::atoi(argv[1]), height = std::atoi(argv[2]);
    const std::string out = argv[3];
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "gl-child-grab: no X display\n");
        return 1;
    }
    std::vector<Window> found;
    findChildren(display, DefaultRootWindow(display), width, height, found);
    if (found.size() != 1) {
        std::fprintf(stderr, "gl-child-grab: %zu off-screen windows of %d x %d\n", found.size(), width, height);
        return 1;
    }
    XImage *image = XGetImage(display, found[0], 0, 0, width, height, AllPlanes, ZPixmap);
    if (!image) {
        std::fprintf(stderr, "gl-child-grab: the window could not be read\n");
        return 1;
    }
    std::vector<unsigned char> rgb;
    rgb.reserve(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            rgb.push_back(static_cast<unsigned char>((p & image->red_mask) >> __builtin_ctzl(image->red_mask)));
            rgb.push_back(static_cast<unsigned char>((p & image->green_mask) >> __builtin_ctzl(image->green_mask)));
            rgb.push_back(static_cast<unsigned char>((p & image->blue_mask) >> __builtin_ctzl(image->blue_mask)));
        }
    XDestroyImage(image);
    XCloseDisplay(display);
    // Written aside and renamed, so the reader never sees half a file.
    const std::string part = out + ".part";
    FILE *f = std::fopen(part.c_str(), "wb");
    if (!f) return 1;
    std::fprintf(f, "P6\n%d %d\n255\n", width, height);
    const bool written = std::fwrite(rgb.data(), 1, rgb.size(), f) == rgb.size();
    if (std::fclose(f) != 0 || !written || std::rename(part.c_str(), out.c_str()) != 0) return 1;
    return 0;
}
