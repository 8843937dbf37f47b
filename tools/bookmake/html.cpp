#include "html.h"

#include "platform/text.h"

#include <cstring>

namespace {

bool isAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool startsWithNoCase(std::string_view s, size_t at, std::string_view what) {
    if (at + what.size() > s.size()) return false;
    for (size_t i = 0; i < what.size(); ++i)
        if (lowerAscii(s[at + i]) != what[i]) return false;
    return true;
}

size_t findNoCase(std::string_view s, std::string_view what, size_t from) {
    for (size_t i = from; i + what.size() <= s.size(); ++i)
        if (startsWithNoCase(s, i, what)) return i;
    return std::string_view::npos;
}

// Parses the tag starting at html[i] == '<'; false when it is not a tag.
bool parseTag(std::string_view html, size_t i, HtmlTag& tag) {
    size_t p = i + 1;
    const size_t n = html.size();
    if (p >= n) return false;
    tag = HtmlTag{};
    tag.start = i;
    if (html[p] == '/') {
        tag.name = "/";
        ++p;
    }
    if (p >= n || !isAsciiAlpha(html[p])) return false;
    while (p < n && (isAsciiAlpha(html[p]) || (html[p] >= '0' && html[p] <= '9')))
        tag.name += lowerAscii(html[p++]);
    while (p < n) {
        while (p < n && (isBlank(html[p]) || html[p] == '/')) ++p;
        if (p >= n) break;
        if (html[p] == '>') {
            tag.end = p + 1;
            return true;
        }
        HtmlAttribute a;
        while (p < n && !isBlank(html[p]) && html[p] != '=' && html[p] != '>' && html[p] != '/')
            a.name += lowerAscii(html[p++]);
        if (a.name.empty()) {
            ++p; // a stray character such as a quote
            continue;
        }
        size_t q = p;
        while (q < n && isBlank(html[q])) ++q;
        if (q < n && html[q] == '=') {
            ++q;
            while (q < n && isBlank(html[q])) ++q;
            a.hasValue = true;
            a.valueStart = q;
            if (q < n && (html[q] == '"' || html[q] == '\'')) {
                const char quote = html[q];
                const size_t close = html.find(quote, q + 1);
                if (close == std::string_view::npos) return false;
                a.value = html.substr(q + 1, close - q - 1);
                p = close + 1;
            } else {
                p = q;
                while (p < n && !isBlank(html[p]) && html[p] != '>') ++p;
                a.value = html.substr(q, p - q);
            }
            a.valueEnd = p;
        }
        tag.attributes.push_back(std::move(a));
    }
    return false;
}

// Skips a comment or declaration at html[i] == '<'; returns the offset after it, or i.
size_t skipSpecial(std::string_view html, size_t i) {
    if (html.compare(i, 4, "<!--") == 0) {
        const size_t e = html.find("-->", i + 4);
        return e == std::string_view::npos ? html.size() : e + 3;
    }
    if (i + 1 < html.size() && (html[i + 1] == '!' || html[i + 1] == '?')) {
        const size_t e = html.find('>', i);
        return e == std::string_view::npos ? html.size() : e + 1;
    }
    return i;
}

} // namespace

const HtmlAttribute* HtmlTag::find(std::string_view wanted) const {
    for (const HtmlAttribute& a : attributes)
        if (a.name == wanted) return &a;
    return nullptr;
}

void forEachTag(std::string_view html, const std::function<void(const HtmlTag&)>& f) {
    HtmlTag tag;
    size_t i = 0;
    while ((i = html.find('<', i)) != std::string_view::npos) {
        const size_t after = skipSpecial(html, i);
        if (after != i) {
            i = after;
            continue;
        }
        if (parseTag(html, i, tag)) {
            f(tag);
            i = tag.end;
        } else {
            ++i;
        }
    }
}

std::vector<bool> insideTags(std::string_view html) {
    std::vector<bool> inside(html.size(), false);
    forEachTag(html, [&](const HtmlTag& t) {
        for (size_t k = t.start; k < t.end; ++k) inside[k] = true;
    });
    return inside;
}

std::string rewriteAttributes(
    std::string_view html,
    const std::function<std::optional<std::string>(const HtmlTag&, const HtmlAttribute&)>& f) {
    std::string out;
    out.reserve(html.size() + html.size() / 16);
    size_t copied = 0;
    forEachTag(html, [&](const HtmlTag& t) {
        for (const HtmlAttribute& a : t.attributes) {
            if (!a.hasValue) continue;
            std::optional<std::string> v = f(t, a);
            if (!v) continue;
            out.append(html.substr(copied, a.valueStart - copied));
            out += '"';
            out += *v;
            out += '"';
            copied = a.valueEnd;
        }
    });
    out.append(html.substr(copied));
    return out;
}

PageBody pageBody(std::string_view html) {
    const size_t body = findNoCase(html, "<body", 0);
    if (body != std::string_view::npos) {
        HtmlTag tag;
        size_t start = html.find('>', body);
        start = start == std::string_view::npos ? html.size() : start + 1;
        if (parseTag(html, body, tag)) start = tag.end;
        size_t end = findNoCase(html, "</body", start);
        if (end == std::string_view::npos) end = html.size();
        return {std::string(html.substr(start, end - start)), start};
    }
    // Dropped pieces keep their line breaks so that lines still count as in the source.
    std::string out;
    size_t copied = 0;
    bool inHead = false;
    auto drop = [&](size_t from, size_t to) {
        for (size_t k = from; k < to; ++k)
            if (html[k] == '\n') out += '\n';
    };
    forEachTag(html, [&](const HtmlTag& t) {
        const bool dropped = t.name == "html" || t.name == "/html" || t.name == "head" ||
                             t.name == "/head" || inHead;
        if (!dropped) return;
        if (inHead) drop(copied, t.start);
        else out.append(html.substr(copied, t.start - copied));
        drop(t.start, t.end);
        copied = t.end;
        if (t.name == "head") inHead = true;
        if (t.name == "/head") inHead = false;
    });
    if (inHead) drop(copied, html.size());
    else out.append(html.substr(copied));
    return {out, 0};
}

std::vector<HtmlAnchor> pageAnchors(std::string_view html) {
    std::vector<HtmlAnchor> anchors;
    forEachTag(html, [&](const HtmlTag& t) {
        const HtmlAttribute* a = t.name == "a" ? t.find("name") : nullptr;
        if (!a) a = t.find("id");
        if (a && !a->value.empty()) anchors.push_back({a->value, t.start});
    });
    return anchors;
}

namespace {

// Decodes the entity at s[i] == '&'; appends the character and returns the length used, or 0.
size_t decodeEntity(std::string_view s, size_t i, std::string& out) {
    static const struct {
        const char* name;
        const char* utf8;
    } kNamed[] = {{"nbsp", " "},   {"amp", "&"},     {"lt", "<"},      {"gt", ">"},
                  {"quot", "\""},  {"apos", "'"},    {"laquo", "«"},   {"raquo", "»"},
                  {"mdash", "—"},  {"ndash", "–"},   {"hellip", "…"},  {"copy", "©"},
                  {"deg", "°"},    {"bull", "•"},    {"rsquo", "’"},   {"lsquo", "‘"},
                  {"ldquo", "“"},  {"rdquo", "”"},   {"bdquo", "„"},   {"times", "×"},
                  {"plusmn", "±"}, {"sect", "§"},    {"reg", "®"},     {"trade", "™"},
                  {"shy", ""},     {"middot", "·"},  {"euro", "€"},    {"numero", "№"},
                  {"minus", "-"}};
    const size_t semi = s.find(';', i);
    if (semi == std::string_view::npos || semi - i > 10 || semi == i + 1) return 0;
    const std::string_view name = s.substr(i + 1, semi - i - 1);
    std::string utf8;
    if (name[0] == '#') {
        uint32_t cp = 0;
        const bool hex = name.size() > 1 && (name[1] == 'x' || name[1] == 'X');
        for (size_t k = hex ? 2 : 1; k < name.size(); ++k) {
            const char c = name[k];
            int d;
            if (c >= '0' && c <= '9') d = c - '0';
            else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
            else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
            else return 0;
            cp = cp * (hex ? 16 : 10) + uint32_t(d);
            if (cp > 0x10FFFF) return 0;
        }
        if (cp == 0xA0) cp = ' ';
        char buf[5] = {};
        if (cp < 0x80) buf[0] = char(cp);
        else if (cp < 0x800) buf[0] = char(0xC0 | (cp >> 6)), buf[1] = char(0x80 | (cp & 0x3F));
        else if (cp < 0x10000)
            buf[0] = char(0xE0 | (cp >> 12)), buf[1] = char(0x80 | ((cp >> 6) & 0x3F)),
            buf[2] = char(0x80 | (cp & 0x3F));
        else
            buf[0] = char(0xF0 | (cp >> 18)), buf[1] = char(0x80 | ((cp >> 12) & 0x3F)),
            buf[2] = char(0x80 | ((cp >> 6) & 0x3F)), buf[3] = char(0x80 | (cp & 0x3F));
        utf8 = buf;
    } else {
        bool found = false;
        for (const auto& e : kNamed)
            if (name == e.name) {
                utf8 = e.utf8;
                found = true;
            }
        if (!found) return 0;
    }
    bool ok = true;
    const std::string c = utf8ToCp1251(utf8, &ok);
    if (c.find('?') != std::string::npos && utf8 != "?") out += '?';
    else out += c;
    return semi - i + 1;
}

bool breaksLine(const std::string& tag) {
    static const char* kTags[] = {"p", "br", "div", "tr", "li", "h1", "h2", "h3", "h4", "h5",
                                  "h6", "table", "ul", "ol", "dt", "dd", "pre", "blockquote",
                                  "/p", "/div", "/tr", "/h1", "/h2", "/h3", "/h4", "/h5", "/h6",
                                  "/table", "/li", "/pre", "/blockquote", "hr", "title", "/title"};
    for (const char* t : kTags)
        if (tag == t) return true;
    return false;
}

} // namespace

std::string plainText(std::string_view source) {
    // Comments and declarations are no text: drop them first.
    std::string html;
    html.reserve(source.size());
    for (size_t i = 0; i < source.size();) {
        const size_t lt = source.find('<', i);
        if (lt == std::string_view::npos) {
            html.append(source.substr(i));
            break;
        }
        html.append(source.substr(i, lt - i));
        const size_t after = skipSpecial(source, lt);
        if (after == lt) html += '<';
        i = after == lt ? lt + 1 : after;
    }
    std::string out;
    std::string line;
    auto endLine = [&] {
        while (!line.empty() && line.back() == ' ') line.pop_back();
        if (!line.empty()) out += line + "\r\n";
        line.clear();
    };
    auto addText = [&](std::string_view s) {
        for (size_t i = 0; i < s.size(); ++i) {
            const char c = s[i];
            if (isBlank(c)) {
                if (!line.empty() && line.back() != ' ') line += ' ';
            } else if (c == '&') {
                std::string decoded;
                const size_t n = decodeEntity(s, i, decoded);
                if (n == 0) {
                    line += c;
                    continue;
                }
                for (char d : decoded)
                    if (d != ' ' || (!line.empty() && line.back() != ' ')) line += d;
                i += n - 1;
            } else {
                line += c;
            }
        }
    };
    size_t copied = 0;
    std::string skipUntil; // closing tag that ends a dropped block
    const std::string_view view(html);
    forEachTag(view, [&](const HtmlTag& t) {
        if (skipUntil.empty()) addText(view.substr(copied, t.start - copied));
        copied = t.end;
        if (!skipUntil.empty()) {
            if (t.name == skipUntil) skipUntil.clear();
            return;
        }
        if (t.name == "head" || t.name == "script" || t.name == "style") {
            skipUntil = "/" + t.name;
            return;
        }
        if (t.name == "td" || t.name == "th") {
            if (!line.empty() && line.back() != ' ') line += ' ';
        }
        if (breaksLine(t.name)) endLine();
    });
    if (skipUntil.empty()) addText(view.substr(copied));
    endLine();
    return out;
}

std::string fixCharset(std::string html) {
    size_t i = 0;
    while ((i = findNoCase(html, "charset=", i)) != std::string::npos) {
        size_t v = i + 8;
        if (v < html.size() && (html[v] == '"' || html[v] == '\'')) ++v;
        if (startsWithNoCase(html, v, "utf-8")) html.replace(v, 5, "windows-1251");
        i = v;
    }
    return html;
}
