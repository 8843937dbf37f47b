#include "reading/colourmarkers.h"

#include "platform/text.h"

#include <cstdio>

namespace {

// The usual Windows defaults of the system colours (index = the code's low byte), as
// 0xRRGGBB.
constexpr uint32_t kSystemColours[] = {
    0xc0c0c0, 0x008080, 0x000080, 0x808080, 0xc0c0c0, 0xffffff, 0x000000, 0x000000,
    0x000000, 0xffffff, 0xc0c0c0, 0xc0c0c0, 0x808080, 0x000080, 0xffffff, 0xc0c0c0,
    0x808080, 0x808080, 0x000000, 0xc0c0c0, 0xffffff, 0x000000, 0xdfdfdf, 0x000000,
    0xffffe1, 0x000000, 0x0000ff, 0x1084d0, 0xb5b5b5, 0x000080, 0xc0c0c0,
};

} // namespace

std::string htmlColourText(uint32_t colour) {
    uint32_t rgb;
    if (colour & 0x80000000u) {
        const uint32_t index = colour & 0xffu;
        rgb = index < std::size(kSystemColours) ? kSystemColours[index] : 0;
    } else {
        rgb = ((colour & 0xffu) << 16) | (colour & 0xff00u) | ((colour >> 16) & 0xffu);
    }
    char text[8];
    std::snprintf(text, sizeof text, "%06x", rgb & 0xffffffu);
    return text;
}

uint32_t markerColour(const MarkerColours& colours, long long n) {
    if (colours.handMode) return colours.handTextColour;
    if (n == 0) return colours.background;
    const long long count = static_cast<long long>(colours.schemeColours.size());
    if (n >= 1 && n < count) return colours.schemeColours[static_cast<std::size_t>(n - 1)];
    return 0;
}

std::string substituteColourMarkers(std::string_view html, const MarkerColours& colours) {
    static constexpr std::string_view kMarker = "$$$";
    std::string out;
    out.reserve(html.size());
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = html.find(kMarker, from);
        if (at == std::string_view::npos) break;
        out.append(html.substr(from, at - from));
        std::size_t after = at + kMarker.size();
        const int n = readDecimal(html.substr(after));
        while (after < html.size() && html[after] >= '0' && html[after] <= '9')
            ++after;
        out += '#';
        out += htmlColourText(markerColour(colours, n));
        from = after;
    }
    out.append(html.substr(from));
    return out;
}
