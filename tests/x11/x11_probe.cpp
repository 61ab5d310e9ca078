// A small Xlib client that the X11 suite uses to look at what the program
// did and to play the parts of other clients: a preview host, a window
// manager's close command, a screenshot comparison.
//
//   x11_probe COMMAND ARGUMENTS...
//
// The commands are the rows of kCommands at the end: each one's arguments,
// what it does, its function. Run alone, or with an unknown command or the
// wrong arguments, it lists them and ends with status 2. ID is a window id
// in decimal or 0x hexadecimal, or "root"; a command that checks something
// ends with status 1 when it does not hold.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/Xrandr.h>
#include <X11/Xproto.h>
#include <X11/extensions/record.h>
#include <X11/extensions/shmproto.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

volatile std::sig_atomic_t g_stop = 0;
void Stop(int) { g_stop = 1; }
int Ignore(Display*, XErrorEvent*) { return 0; }
// Success, once the server has done what was asked.
int Synced(Display* d) {
    XSync(d, False);
    return 0;
}

struct UploadCount {
    int shm_major = -1;
    long count = 0;
    long long pixels = 0;
    long replies = 0;
};

// A 16-bit field of a request recorded from a client of this machine (same byte order).
unsigned Card16(const unsigned char* request, int offset) {
    std::uint16_t value = 0;
    std::memcpy(&value, request + offset, sizeof value);
    return value;
}

void CountUpload(XPointer closure, XRecordInterceptData* data) {
    auto* uploads = reinterpret_cast<UploadCount*>(closure);
    // The probe's own connections ask nothing while it records.
    if (data->category == XRecordFromServer && data->data != nullptr && data->data[0] == X_Reply) ++uploads->replies;
    if (data->category == XRecordFromClient && data->data != nullptr) {
        const unsigned char* request = data->data;
        if (request[0] == X_PutImage) {
            ++uploads->count;
            uploads->pixels += static_cast<long long>(Card16(request, 12)) * Card16(request, 14);
        } else if (request[0] == uploads->shm_major && request[1] == X_ShmPutImage) {
            ++uploads->count;
            uploads->pixels += static_cast<long long>(Card16(request, 20)) * Card16(request, 22);
        }
    }
    XRecordFreeData(data);
}

// A RECORD context over every client's uploads (PutImage, and ShmPutImage
// where the server has MIT-SHM) and, if asked, the replies the server sends them.
XRecordContext UploadContext(Display* d, int shm_major, bool with_replies) {
    XRecordRange* core = XRecordAllocRange();
    XRecordRange* shm = XRecordAllocRange();
    XRecordRange* replies = XRecordAllocRange();
    core->core_requests.first = core->core_requests.last = X_PutImage;
    XRecordRange* ranges[3] = {core, shm, replies};
    int range_count = 1;
    if (shm_major >= 0) {
        shm->ext_requests.ext_major.first = shm->ext_requests.ext_major.last = static_cast<unsigned char>(shm_major);
        shm->ext_requests.ext_minor.first = shm->ext_requests.ext_minor.last = X_ShmPutImage;
        ranges[range_count++] = shm;
    }
    if (with_replies) {
        // Replies to every core request and to every request of every extension.
        replies->core_replies.first = 1;
        replies->core_replies.last = 127;
        replies->ext_replies.ext_major.first = 128;
        replies->ext_replies.ext_major.last = 255;
        replies->ext_replies.ext_minor.first = 0;
        replies->ext_replies.ext_minor.last = 65535;
        ranges[range_count++] = replies;
    }
    XRecordClientSpec clients = XRecordAllClients;
    const XRecordContext context = XRecordCreateContext(d, 0, &clients, 1, ranges, range_count);
    XFree(core);
    XFree(shm);
    XFree(replies);
    return context;
}

// Requests of every client during SECONDS, watched through the RECORD
// extension on a connection of its own.
std::optional<UploadCount> CountUploads(Display* d, double seconds, bool with_replies) {
    UploadCount uploads;
    int event_base = 0, error_base = 0;
    if (!XQueryExtension(d, "MIT-SHM", &uploads.shm_major, &event_base, &error_base)) uploads.shm_major = -1;
    Display* data = XOpenDisplay(nullptr);
    if (data == nullptr) return std::nullopt;
    const XRecordContext context = UploadContext(d, uploads.shm_major, with_replies);
    if (context == 0) return std::nullopt;
    XSync(d, False);
    if (!XRecordEnableContextAsync(data, context, CountUpload, reinterpret_cast<XPointer>(&uploads)))
        return std::nullopt;
    for (int waited = 0; waited < static_cast<int>(seconds * 100); ++waited) {
        XRecordProcessReplies(data);
        usleep(10000);
    }
    XRecordDisableContext(d, context);
    XSync(d, False);
    XRecordProcessReplies(data);
    XRecordFreeContext(d, context);
    XCloseDisplay(data);
    return uploads;
}

// A window id in decimal or 0x hexadecimal, or "root".
Window ParseId(Display* d, const char* text) {
    if (std::strcmp(text, "root") == 0) return DefaultRootWindow(d);
    return static_cast<Window>(std::strtoul(text, nullptr, 0));
}

struct RawProperty {
    std::string type;  // empty when the window has no such property
    std::string bytes;
};

RawProperty ReadProperty(Display* d, Window w, const char* name) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, rest = 0;
    unsigned char* data = nullptr;
    RawProperty out;
    if (XGetWindowProperty(d, w, XInternAtom(d, name, False), 0, 1024, False, AnyPropertyType, &type, &format, &count,
                           &rest, &data) == Success &&
        type != None) {
        char* type_name = XGetAtomName(d, type);
        out.type = type_name != nullptr ? type_name : "?";
        if (type_name != nullptr) XFree(type_name);
        if (format == 8 && data != nullptr) out.bytes.assign(reinterpret_cast<char*>(data), count);
    }
    if (data != nullptr) XFree(data);
    return out;
}

// WM_NAME or WM_ICON_NAME as UTF-8, decoded from what its type says (STRING
// is Latin-1, COMPOUND_TEXT switches character sets); Xlib's conversion to
// UTF-8 does not depend on the process's locale.
std::optional<std::string> DecodedText(Display* d, const RawProperty& property) {
    if (property.type.empty()) return std::nullopt;
    if (property.type == "UTF8_STRING") return property.bytes;
    XTextProperty text{reinterpret_cast<unsigned char*>(const_cast<char*>(property.bytes.data())),
                       XInternAtom(d, property.type.c_str(), False), 8, property.bytes.size()};
    char** list = nullptr;
    int count = 0;
    std::optional<std::string> out;
    if (Xutf8TextPropertyToTextList(d, &text, &list, &count) >= Success && list != nullptr && count > 0)
        out = std::string(list[0]);
    if (list != nullptr) XFreeStringList(list);
    return out;
}

// The name a user sees: _NET_WM_NAME's UTF-8 bytes, else the decoded WM_NAME.
std::optional<std::string> Name(Display* d, Window w) {
    const RawProperty net = ReadProperty(d, w, "_NET_WM_NAME");
    if (!net.type.empty()) return net.bytes;
    return DecodedText(d, ReadProperty(d, w, "WM_NAME"));
}

// One line per name property: its type and whether it holds CAPTION as the
// ICCCM and EWMH ask (UTF8_STRING for the _NET_ names; STRING only for
// Latin-1 text, else COMPOUND_TEXT, for the others). The icon names may be
// missing; the window names may not.
bool NamesHold(Display* d, Window w, const std::string& caption) {
    bool latin1 = true;
    for (unsigned char c : caption) latin1 = latin1 && c < 0xC4;  // U+0000..U+00FF as UTF-8 lead bytes
    bool all = true;
    for (const char* name : {"_NET_WM_NAME", "_NET_WM_ICON_NAME", "WM_NAME", "WM_ICON_NAME"}) {
        const RawProperty property = ReadProperty(d, w, name);
        const bool net = std::strncmp(name, "_NET", 4) == 0;
        const bool icon_name = std::strstr(name, "ICON") != nullptr;
        bool ok = false;
        if (icon_name && property.type.empty()) {
            ok = true;  // an icon name is optional; the window name stands in
        } else if (net) {
            ok = property.type == "UTF8_STRING" && property.bytes == caption;
        } else {
            const bool type_fits = property.type == "COMPOUND_TEXT" || (property.type == "STRING" && latin1);
            const auto text = DecodedText(d, property);
            ok = type_fits && text && *text == caption;
        }
        std::printf("%s %s %s\n", name, property.type.empty() ? "(none)" : property.type.c_str(), ok ? "ok" : "wrong");
        all = all && ok;
    }
    return all;
}

std::vector<Window> Children(Display* d, Window w) {
    Window root = 0, parent = 0, *kids = nullptr;
    unsigned int n = 0;
    std::vector<Window> out;
    if (XQueryTree(d, w, &root, &parent, &kids, &n) != 0) out.assign(kids, kids + n);
    if (kids != nullptr) XFree(kids);
    return out;
}

Window TopLevel(Display* d, Window w) {
    const Window root = DefaultRootWindow(d);
    for (;;) {
        Window r = 0, parent = 0, *kids = nullptr;
        unsigned int n = 0;
        if (XQueryTree(d, w, &r, &parent, &kids, &n) == 0) return w;
        if (kids != nullptr) XFree(kids);
        if (parent == root || parent == 0) return w;
        w = parent;
    }
}

struct Pixels {
    int w = 0, h = 0;
    std::vector<unsigned char> rgb;
};

// An 8-bit channel from a pixel of a TrueColor visual of any depth.
unsigned char Channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (((mask >> shift) & 1) == 0) ++shift;
    const unsigned long top = mask >> shift;
    return static_cast<unsigned char>((((pixel & mask) >> shift) * 255 + top / 2) / top);
}

// The area's pixels as RGB, whatever the window's visual: TrueColor through
// its masks, colormapped visuals through the colours of the colormap.
std::optional<Pixels> Grab(Display* d, Window w, int x, int y, int width, int height) {
    XWindowAttributes a{};
    if (XGetWindowAttributes(d, w, &a) == 0) return std::nullopt;
    if (width <= 0) width = a.width;
    if (height <= 0) height = a.height;
    XImage* image = XGetImage(d, w, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (image == nullptr) return std::nullopt;
    std::vector<XColor> palette;
    if (a.visual->c_class == PseudoColor || a.visual->c_class == StaticColor || a.visual->c_class == GrayScale ||
        a.visual->c_class == StaticGray) {
        palette.resize(static_cast<std::size_t>(a.visual->map_entries));
        for (std::size_t i = 0; i < palette.size(); ++i) palette[i].pixel = i;
        XQueryColors(d, a.colormap, palette.data(), static_cast<int>(palette.size()));
    }
    Pixels p{width, height, {}};
    p.rgb.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    for (int row = 0; row < height; ++row)
        for (int col = 0; col < width; ++col) {
            const unsigned long v = XGetPixel(image, col, row);
            if (!palette.empty()) {
                const XColor& c = palette[std::min<std::size_t>(v, palette.size() - 1)];
                p.rgb.push_back(static_cast<unsigned char>(c.red >> 8));
                p.rgb.push_back(static_cast<unsigned char>(c.green >> 8));
                p.rgb.push_back(static_cast<unsigned char>(c.blue >> 8));
                continue;
            }
            p.rgb.push_back(Channel(v, a.visual->red_mask));
            p.rgb.push_back(Channel(v, a.visual->green_mask));
            p.rgb.push_back(Channel(v, a.visual->blue_mask));
        }
    XDestroyImage(image);
    return p;
}

// The commands. Each takes the display and its arguments (as many as its
// row in kCommands allows, then a null pointer) and returns the status, or
// kWrongArguments for arguments it cannot read.
constexpr int kWrongArguments = -1;

int Find(Display* d, char** args) {
    std::vector<Window> pending{DefaultRootWindow(d)};
    bool found = false;
    while (!pending.empty()) {
        const Window w = pending.back();
        pending.pop_back();
        if (const auto name = Name(d, w); name && *name == args[0]) {
            std::printf("0x%lx\n", w);
            found = true;
        }
        for (Window c : Children(d, w)) pending.push_back(c);
    }
    return found ? 0 : 1;
}

int Names(Display* d, char** args) { return NamesHold(d, ParseId(d, args[0]), args[1]) ? 0 : 1; }

int Info(Display* d, char** args) {
    const Window w = ParseId(d, args[0]);
    XWindowAttributes a{};
    if (XGetWindowAttributes(d, w, &a) == 0) return 1;
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(d, w, DefaultRootWindow(d), 0, 0, &x, &y, &child);
    std::printf("%d %d %d %d override=%d mapped=%d\n", x, y, a.width, a.height, a.override_redirect ? 1 : 0,
                a.map_state == IsViewable ? 1 : 0);
    return 0;
}

int OnTop(Display* d, char** args) {
    const Window top = TopLevel(d, ParseId(d, args[0]));
    Window highest = 0;
    for (Window c : Children(d, DefaultRootWindow(d))) {
        XWindowAttributes a{};
        if (XGetWindowAttributes(d, c, &a) != 0 && a.map_state == IsViewable) highest = c;
    }
    std::printf("%s\n", highest == top ? "top" : "below");
    return highest == top ? 0 : 1;
}

int ChildrenOf(Display* d, char** args) {
    const auto kids = Children(d, ParseId(d, args[0]));
    std::printf("%zu", kids.size());
    for (Window c : kids) {
        XWindowAttributes a{};
        XGetWindowAttributes(d, c, &a);
        std::printf(" 0x%lx:%d,%d,%dx%d,%s", c, a.x, a.y, a.width, a.height,
                    a.map_state == IsViewable ? "mapped" : "unmapped");
    }
    std::printf("\n");
    return 0;
}

int Host(Display* d, char** args) {
    int w = 0, h = 0;
    if (std::sscanf(args[0], "%dx%d", &w, &h) != 2 || w <= 0 || h <= 0) return kWrongArguments;
    const int screen = DefaultScreen(d);
    const Window host = XCreateSimpleWindow(d, DefaultRootWindow(d), 10, 10, static_cast<unsigned>(w),
                                            static_cast<unsigned>(h), 0, WhitePixel(d, screen), WhitePixel(d, screen));
    if (args[1] != nullptr) {
        // A client of the old kind: WM_NAME alone, in the ICCCM's types.
        XTextProperty name{};
        if (Xutf8TextListToTextProperty(d, &args[1], 1, XStdICCTextStyle, &name) < Success) return 1;
        XSetWMName(d, host, &name);
        XFree(name.value);
    } else {
        XStoreName(d, host, "preview host");
    }
    XMapWindow(d, host);
    XSync(d, False);
    std::printf("0x%lx\n", host);
    std::fflush(stdout);
    std::signal(SIGTERM, Stop);
    std::signal(SIGINT, Stop);
    while (!g_stop) usleep(20000);
    XDestroyWindow(d, host);
    return Synced(d);
}

int Unmap(Display* d, char** args) { XUnmapWindow(d, ParseId(d, args[0])); return Synced(d); }
int Map(Display* d, char** args) { XMapWindow(d, ParseId(d, args[0])); return Synced(d); }
int Destroy(Display* d, char** args) { XDestroyWindow(d, ParseId(d, args[0])); return Synced(d); }

// The first output at a mode of that size (made unless there is one), the
// screen to match: no output may reach beyond the screen.
int Screen(Display* d, char** args) {
    XRRModeInfo mode{};
    if (std::sscanf(args[0], "%ux%u", &mode.width, &mode.height) != 2) return kWrongArguments;
    const Window root = DefaultRootWindow(d);
    XRRScreenResources* res = XRRGetScreenResources(d, root);
    if (res == nullptr || res->ncrtc < 1 || res->noutput < 1) return 1;
    RRMode id = None;
    for (int i = 0; i < res->nmode; ++i)
        if (res->modes[i].width == mode.width && res->modes[i].height == mode.height) id = res->modes[i].id;
    mode.name = args[0];
    mode.nameLength = static_cast<unsigned>(std::strlen(args[0]));
    if (id == None) XRRAddOutputMode(d, res->outputs[0], id = XRRCreateMode(d, root, &mode));
    const int w = static_cast<int>(mode.width), h = static_cast<int>(mode.height);
    const int room_w = std::max(w, DisplayWidth(d, 0)), room_h = std::max(h, DisplayHeight(d, 0));
    XRRSetScreenSize(d, root, room_w, room_h, room_w / 4, room_h / 4);
    const bool ok = XRRSetCrtcConfig(d, res, res->crtcs[0], CurrentTime, 0, 0, id, RR_Rotate_0, res->outputs, 1) ==
                    RRSetConfigSuccess;
    if (ok) XRRSetScreenSize(d, root, w, h, w / 4, h / 4);
    XSync(d, False);
    return ok ? 0 : 1;
}

// WM_DELETE_WINDOW sent to the window in a client message of that type.
int SendDelete(Display* d, const char* window, const char* type) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = ParseId(d, window);
    e.xclient.message_type = XInternAtom(d, type, False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, e.xclient.window, False, NoEventMask, &e);
    return Synced(d);
}
int Close(Display* d, char** args) { return SendDelete(d, args[0], "WM_PROTOCOLS"); }
int Message(Display* d, char** args) { return SendDelete(d, args[0], args[1]); }

int Save(Display* d, char** args) {
    const auto p = Grab(d, ParseId(d, args[0]), 0, 0, 0, 0);
    if (!p) return 1;
    std::ofstream out(args[1], std::ios::binary);
    out << "P6\n" << p->w << " " << p->h << "\n255\n";
    out.write(reinterpret_cast<const char*>(p->rgb.data()), static_cast<std::streamsize>(p->rgb.size()));
    return out ? 0 : 1;
}

int Compare(Display* d, char** args) {
    const auto p = Grab(d, ParseId(d, args[0]), 0, 0, 0, 0);
    if (!p) return 1;
    std::ifstream in(args[1], std::ios::binary);
    std::string magic;
    int w = 0, h = 0, max = 0;
    in >> magic >> w >> h >> max;
    in.get();
    if (magic != "P6" || w != p->w || h != p->h) {
        std::printf("size differs\n");
        return 1;
    }
    std::vector<unsigned char> ref(p->rgb.size());
    in.read(reinterpret_cast<char*>(ref.data()), static_cast<std::streamsize>(ref.size()));
    long differ = 0;
    for (std::size_t i = 0; i < ref.size(); i += 3)
        if (std::memcmp(&ref[i], &p->rgb[i], 3) != 0) ++differ;
    std::printf("%ld %ld\n", differ, static_cast<long>(w) * h);
    return 0;
}

// The pixels of the area ID X Y W H of a window.
std::optional<Pixels> GrabArea(Display* d, char** args) {
    return Grab(d, ParseId(d, args[0]), std::atoi(args[1]), std::atoi(args[2]), std::atoi(args[3]), std::atoi(args[4]));
}

int Stats(Display* d, char** args) {
    const auto p = GrabArea(d, args);
    if (!p) return 1;
    long black = 0;
    std::set<unsigned long> colours;
    for (std::size_t i = 0; i < p->rgb.size(); i += 3) {
        const unsigned long c = (p->rgb[i] << 16) | (p->rgb[i + 1] << 8) | p->rgb[i + 2];
        if (c == 0) ++black;
        colours.insert(c);
    }
    std::printf("total=%ld black=%ld colours=%zu\n", static_cast<long>(p->w) * p->h, black, colours.size());
    return 0;
}

// Grey: the channels within 24 of each other. The kittens are grey tabbies,
// so a screen whose colours are converted wrongly shows few greys.
int Greys(Display* d, char** args) {
    const auto p = GrabArea(d, args);
    if (!p) return 1;
    long lit = 0, grey = 0;
    for (std::size_t i = 0; i < p->rgb.size(); i += 3) {
        const int r = p->rgb[i], g = p->rgb[i + 1], b = p->rgb[i + 2];
        if (r == 0 && g == 0 && b == 0) continue;
        ++lit;
        if (std::max({r, g, b}) - std::min({r, g, b}) <= 24) ++grey;
    }
    std::printf("lit=%ld grey=%ld\n", lit, grey);
    return 0;
}

int KeyboardGrabbed(Display* d, char**) {
    const int status = XGrabKeyboard(d, DefaultRootWindow(d), False, GrabModeAsync, GrabModeAsync, CurrentTime);
    if (status == GrabSuccess) XUngrabKeyboard(d, CurrentTime);
    XSync(d, False);
    std::printf("%s\n", status == AlreadyGrabbed ? "grabbed" : "free");
    return status == AlreadyGrabbed ? 0 : 1;
}

int CursorBlank(Display* d, char**) {
    int event_base = 0, error_base = 0;
    if (!XFixesQueryExtension(d, &event_base, &error_base)) return 2;
    XFixesCursorImage* image = XFixesGetCursorImage(d);
    if (image == nullptr) return 2;
    bool blank = true;
    for (int i = 0; i < image->width * image->height; ++i)
        if ((image->pixels[i] >> 24) != 0) blank = false;
    XFree(image);
    std::printf("%s\n", blank ? "blank" : "visible");
    return blank ? 0 : 1;
}

int Monitors(Display* d, char** args) {
    const Window root = DefaultRootWindow(d);
    const Atom left = XInternAtom(d, "NYAMO-LEFT", False), right = XInternAtom(d, "NYAMO-RIGHT", False);
    if (args[1] == nullptr) {
        if (std::strcmp(args[0], "off") != 0) return kWrongArguments;
        XRRDeleteMonitor(d, root, left);
        XRRDeleteMonitor(d, root, right);
        return Synced(d);
    }
    const int w1 = std::atoi(args[0]), w2 = std::atoi(args[1]);
    const int h = DisplayHeight(d, DefaultScreen(d));
    int x = 0;
    for (const auto& [name, width, primary] : {std::tuple{left, w1, False}, std::tuple{right, w2, True}}) {
        XRRMonitorInfo* m = XRRAllocateMonitor(d, 0);
        m->name = name;
        m->primary = primary;
        m->automatic = True;
        m->x = x;
        m->y = 0;
        m->width = width;
        m->height = h;
        m->mwidth = width / 4;
        m->mheight = h / 4;
        XRRSetMonitor(d, root, m);
        XFree(m);
        x += width;
    }
    return Synced(d);
}

int Uploads(Display* d, char** args) {
    const bool with_pixels = args[1] != nullptr, with_replies = with_pixels && args[2] != nullptr;
    if ((with_pixels && std::strcmp(args[1], "pixels") != 0) || (with_replies && std::strcmp(args[2], "replies") != 0))
        return kWrongArguments;
    const auto uploads = CountUploads(d, std::atof(args[0]), with_replies);
    if (!uploads) return 1;
    std::printf("%ld", uploads->count);
    if (with_pixels) std::printf(" %lld", uploads->pixels);
    if (with_replies) std::printf(" %ld", uploads->replies);
    std::printf("\n");
    return 0;
}

// Red x * 255 / (w - 1), green y * 255 / (h - 1), blue 96: each pixel tells where it is.
int PaintRoot(Display* d, char**) {
    const int screen = DefaultScreen(d);
    const Window root = DefaultRootWindow(d);
    const int w = DisplayWidth(d, screen), h = DisplayHeight(d, screen);
    const Pixmap pixmap = XCreatePixmap(d, root, static_cast<unsigned>(w), static_cast<unsigned>(h),
                                        static_cast<unsigned>(DefaultDepth(d, screen)));
    XImage* image = XGetImage(d, pixmap, 0, 0, static_cast<unsigned>(w), static_cast<unsigned>(h), AllPlanes, ZPixmap);
    if (image == nullptr) return 1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            XPutPixel(image, x, y, (static_cast<unsigned long>(x * 255 / (w - 1)) << 16) |
                                       (static_cast<unsigned long>(y * 255 / (h - 1)) << 8) | 96);
    const GC gc = XCreateGC(d, pixmap, 0, nullptr);
    XPutImage(d, pixmap, gc, image, 0, 0, 0, 0, static_cast<unsigned>(w), static_cast<unsigned>(h));
    XSetWindowBackgroundPixmap(d, root, pixmap);
    XClearWindow(d, root);
    XFreeGC(d, gc);
    XFreePixmap(d, pixmap);
    XDestroyImage(image);
    return Synced(d);
}

struct Command {
    const char* name;
    const char* arguments;  // as the usage shows them
    const char* what;       // what it does or prints
    int least, most;        // how many arguments it takes
    int (*run)(Display*, char** args);
};

constexpr Command kCommands[] = {
    {"find", "CAPTION", "ids (hex) of the windows named CAPTION anywhere", 1, 1, Find},
    {"names", "ID CAPTION", "the 4 name properties hold CAPTION in the ICCCM's and EWMH's types", 2, 2, Names},
    {"info", "ID", "x y w h override=0|1 mapped=0|1 of the window, in root coordinates", 1, 1, Info},
    {"on-top", "ID", "\"top\" if the window's top-level is the highest mapped one", 1, 1, OnTop},
    {"children", "ID", "how many children the window has, and their geometry", 1, 1, ChildrenOf},
    {"host", "WxH [NAME]", "a window, its id printed, destroyed on SIGTERM; NAME in WM_NAME alone", 1, 2, Host},
    {"close", "ID", "WM_DELETE_WINDOW as a close box sends it", 1, 1, Close},
    {"message", "ID TYPE", "the same atom in a message of another TYPE (no close request)", 2, 2, Message},
    {"unmap", "ID", "another client's window withdrawn, as iconifying does", 1, 1, Unmap},
    {"map", "ID", "the window mapped again", 1, 1, Map},
    {"destroy", "ID", "another client's window destroyed", 1, 1, Destroy},
    {"screen", "WxH", "the screen and its one output resized, as a resolution change does", 1, 1, Screen},
    {"save", "ID FILE", "the window's pixels as a binary PPM", 2, 2, Save},
    {"compare", "ID FILE", "how many pixels differ from the PPM FILE, and the total", 2, 2, Compare},
    {"stats", "ID X Y W H", "total=N black=N colours=N (distinct) of the area", 5, 5, Stats},
    {"greys", "ID X Y W H", "lit=N grey=N: the area's pixels not black, and of those the grey", 5, 5, Greys},
    {"keyboard-grabbed", "", "\"grabbed\" if another client holds the keyboard", 0, 0, KeyboardGrabbed},
    {"cursor-blank", "", "\"blank\" if the pointer's current image is empty", 0, 0, CursorBlank},
    {"monitors", "W1 W2 | off", "two RandR monitors side by side, the right one primary; or none", 1, 2, Monitors},
    {"uploads", "SECONDS [pixels [replies]]", "all clients' image uploads meanwhile, pixels, replies", 1, 3, Uploads},
    {"paint-root", "", "a known root background: red by x, green by y, blue 96", 0, 0, PaintRoot},
};

// The usage of one command, or of all when none is named; status 2.
int Usage(const Command* only) {
    if (only == nullptr) std::fprintf(stderr, "usage: x11_probe COMMAND ARGUMENTS..., one of:\n");
    for (const Command& c : kCommands) {
        if (only != nullptr && only != &c) continue;
        const std::string call = std::string(c.name) + (c.arguments[0] != '\0' ? " " : "") + c.arguments;
        std::fprintf(stderr, "%s%-34s %s\n", only != nullptr ? "usage: x11_probe " : "  ", call.c_str(), c.what);
    }
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const Command* command = nullptr;
    for (const Command& c : kCommands)
        if (argc >= 2 && std::strcmp(argv[1], c.name) == 0) command = &c;
    if (command == nullptr) return Usage(nullptr);
    if (argc - 2 < command->least || argc - 2 > command->most) return Usage(command);
    Display* d = XOpenDisplay(nullptr);
    if (d == nullptr) {
        std::fprintf(stderr, "x11_probe: no display\n");
        return 2;
    }
    XSetErrorHandler(Ignore);
    const int status = command->run(d, argv + 2);
    return status == kWrongArguments ? Usage(command) : status;
}
