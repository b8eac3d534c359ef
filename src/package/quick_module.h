// Modules made from what a user has at hand: a picture, a video, a page or a
// web address, each written as a module folder that is then packed and
// installed like any package.
#pragma once

#include "package/manifest.h"

#include <string>

namespace package {

struct QuickSource {
    enum Kind { Picture, Video, Page, Address } kind = Picture;
    std::string source;             // a file, or the address
    std::string placement = "fill"; // pictures: tile, centre, stretch or fill
    std::string theme = "My Desktop";
    std::string name; // "" names it after the file or the address's host
    std::string key;  // "" makes one of the name and the source
};

// Writes the module into folder (an existing empty folder) and returns its
// manifest, also written there. Throws Refused for a source it cannot use.
Manifest MakeQuickModule(const QuickSource& source, const std::string& folder);

// Writes a file of a module being made; throws Refused when it cannot.
void WriteText(const std::string& path, const std::string& text);
// The page with first put just after its head's tag (else its html's, else
// its doctype's, else at its start): before any of its own scripts, and
// without leaving standards mode.
std::string WithHeadFirst(std::string html, const std::string& first);

// A short fingerprint of a text in hex digits (at most 8), so that two
// sources of one name make two keys.
std::string Fingerprint(const std::string& text, int digits = 6);
// A text as HTML shows it.
std::string HtmlText(const std::string& text);

// Whether a page's or script's text draws with WebGL: it asks for a context
// by name, or uses three.js's renderer, which does.
bool MentionsWebGL(const std::string& text);

// The key of the theme of that name.
std::string QuickThemeKey(const std::string& themeName);

// The kind named on the command line ("picture", "video", "page", "address").
bool QuickKindNamed(const std::string& word, QuickSource::Kind& kind);
// The kind a file makes, by its extension (a dropped file); false for none.
bool QuickKindOfFile(const std::string& file, QuickSource::Kind& kind);

} // namespace package
