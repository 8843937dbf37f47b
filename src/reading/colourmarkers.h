// Colour markers: "$$$" and a number inside page HTML, replaced by "#" and an HTML colour text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The colours markers select; the appearance state fills it. The defaults are the appearance's
// before any scheme is loaded: scheme mode, white background, an empty colour list.
struct MarkerColours {
    bool handMode = false;
    uint32_t handTextColour = 0x000000;  // colour value 0x00BBGGRR
    uint32_t background = 0xFFFFFF;      // the viewer's current background colour
    std::vector<uint32_t> schemeColours; // the scheme colour list; entry 1 is at index 0
};

// "rrggbb" (six lower-case hex digits) of a colour value 0x00BBGGRR. A system-colour code (high
// bit set) gives the usual Windows default of that colour.
std::string htmlColourText(uint32_t colour);

// The colour of marker number n: hand mode: the text colour; scheme mode: n = 0 the background,
// 1 <= n < N entry n of the list (counted from 1), anything else black.
uint32_t markerColour(const MarkerColours& colours, long long n);

// Replaces every marker: "$$$" and the digits directly after it become "#" and the colour text;
// the number is read like a signed decimal, so "$$$-5" gives black and keeps "-5".
std::string substituteColourMarkers(std::string_view html, const MarkerColours& colours);
