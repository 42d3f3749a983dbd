#pragma once

#include <X11/Xlib.h>

// The few Xlib functions this program calls itself, taken from the library
// SDL's X11 driver has already loaded: a copy that never opens an X display
// (a dedicated host, another window system) needs no Xlib at all.
class x11Calls {
  public:
    x11Calls() = default;
    x11Calls(const x11Calls&) = delete;
    x11Calls& operator=(const x11Calls&) = delete;
    ~x11Calls();

    bool load(); // false when Xlib or one of its functions is missing
    bool isLoaded() const { return m_library != nullptr; }

    int (*eventsQueued)(Display*, int) = nullptr;
    int (*connectionNumber)(Display*) = nullptr;
    GC (*createGC)(Display*, Drawable, unsigned long, XGCValues*) = nullptr;
    int (*freeGC)(Display*, GC) = nullptr;
    Status (*getWindowAttributes)(Display*, Window, XWindowAttributes*) = nullptr;
    Status (*initImage)(XImage*) = nullptr;
    int (*putImage)(Display*, Drawable, GC, XImage*, int, int, int, int, unsigned int,
                    unsigned int) = nullptr;
    int (*flush)(Display*) = nullptr;

  private:
    void* m_library = nullptr;
};

// The X display behind an SDL window, or null on any other window system.
Display* findX11Display(void* nativeWindow);
