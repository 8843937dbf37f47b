// The little HTML bookmake needs: walking tags, reading and replacing attribute values, the body
// of a page, anchors, and the plain text of a page. Bytes are Windows-1251.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct HtmlAttribute {
    std::string name;       // lower case
    std::string value;      // as written, quotes removed
    size_t valueStart = 0;  // offset of the value (or its opening quote) in the text
    size_t valueEnd = 0;    // offset after the value (or its closing quote)
    bool hasValue = false;
};

struct HtmlTag {
    size_t start = 0; // offset of "<"
    size_t end = 0;   // offset after ">"
    std::string name; // lower case, "/p" for a closing tag
    std::vector<HtmlAttribute> attributes;
    const HtmlAttribute* find(std::string_view name) const;
};

// Calls f for every tag in text order; comments, "<!...>" and "<?...>" are skipped. A "<" not
// followed by a letter or "/" is text.
void forEachTag(std::string_view html, const std::function<void(const HtmlTag&)>& f);

// Where each tag ends (for "not inside a tag" tests): true for bytes inside a tag.
std::vector<bool> insideTags(std::string_view html);

// Replaces attribute values: f(tag, attribute) returns the new value or nothing to keep it.
// Replaced values are written in double quotes.
std::string rewriteAttributes(
    std::string_view html,
    const std::function<std::optional<std::string>(const HtmlTag&, const HtmlAttribute&)>& f);

// The part of a page the page store keeps: what lies between <BODY ...> and </BODY>, or the whole
// text without <HTML>, </HTML> and the <HEAD> block when the page has no body tag.
// Lines of the body keep their numbers: offset is where the body text starts in html (0 when
// the page has no body tag; dropped pieces then leave their line breaks behind).
struct PageBody {
    std::string text;
    size_t offset = 0;
};
PageBody pageBody(std::string_view html);

// Anchors of a page: the "name" of <a> tags and every "id", with the offset of their tag.
struct HtmlAnchor {
    std::string name;
    size_t offset;
};
std::vector<HtmlAnchor> pageAnchors(std::string_view html);

// Readable text: tags removed, <head>, <script> and <style> dropped, entities decoded where
// Windows-1251 has the character, blanks collapsed, one line per paragraph, break, heading,
// table row or list item. Lines end with "\r\n"; no empty lines.
std::string plainText(std::string_view html);

// Replaces "charset=utf-8" (any letter case) by "charset=windows-1251" in a converted page.
std::string fixCharset(std::string html);
