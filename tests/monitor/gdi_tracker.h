// Follows every device context and bitmap that code in this program makes
// and frees while a tracker lives, by redirecting the program's imports of
// those GDI calls. Wine's GetGuiResources counts nothing, so the process's
// object counts cannot show a leak there; this shows that each object made
// is freed, and freed in a state that frees it for real.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

class GdiTracker {
public:
    GdiTracker();  // starts following; only one tracker at a time
    ~GdiTracker(); // puts the imports back
    GdiTracker(const GdiTracker &) = delete;
    GdiTracker &operator=(const GdiTracker &) = delete;

    // Whether the imports could be redirected at all.
    bool Active() const;

    int DCsMade() const;
    int BitmapsMade() const;
    // DCs and bitmaps made and not yet freed.
    int DCsLeft() const;
    int BitmapsLeft() const;
    // Every kind of fault seen, each told once: a DC deleted with another
    // bitmap than the one it was made with still selected, a bitmap
    // deleted while selected into a DC, a delete that failed, a bitmap of
    // someone else's deleted.
    std::vector<std::string> Faults() const;
};
