// zelkora.json: what a package says it holds. Parsing collects every problem
// rather than stopping at the first, so an author sees them all at once.
#pragma once

#include "package/properties.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace package {

// A package or folder refused: the message names the problem and the file.
struct Refused : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Problem {
    std::string file;    // the file it is about, relative to the item ("" for the whole)
    std::string message;
    bool warning = false; // a warning does not stop an install
};

struct Manifest {
    enum Kind { Module, Toy } kind = Module;
    std::string key, name;
    std::string themeKey, themeName; // modules
    std::string page;                // modules: the author's page
    std::string script, stylesheet;  // toyz
    std::string version, author, notice;
    std::string copyright, banner, preview; // pages and picture in the item, optional
    std::vector<Property> properties;        // modules: what the user may set
    std::string description, licence;        // what its author says of it
    bool webgl = false; // modules: the page draws with WebGL (the desktop then draws through OpenGL)
    bool audio = false; // modules: the page hears the sound the computer plays (Zelkora.onAudio)
    bool media = false; // modules: the page sees what the music player plays (Zelkora.onMedia)
    // Modules imported from another program's wallpaper: the JSON object
    // that says how its page is fed ("" for our own modules).
    std::string imported;
};

inline constexpr char kManifestName[] = "zelkora.json";

// What a module asks to hear and see, as the user is told before installing
// it ("reacts to the sound your computer plays", ...); none for most.
std::vector<std::string> WhatItHears(const Manifest& m);

// Reads a manifest's text; problems get every fault found. Unknown fields are
// ignored, so later versions of the format stay installable.
Manifest ParseManifest(const std::string& text, std::vector<Problem>& problems);
// The manifest as zelkora.json text (what quick modules and the demo write).
std::string ManifestText(const Manifest& m);

// Why a text cannot name a Windows folder or file ("" when it can): empty,
// over 100 characters, reserved characters or control codes, a trailing dot
// or space, or a device name such as CON or LPT1.
std::string WindowsNameProblem(const std::string& name);

// Compares dotted version numbers ("1.10" after "1.9"); a missing part is 0.
int CompareVersions(const std::string& a, const std::string& b);

// The page the desktop applies, relative to the item: the author's page when
// its name begins with "ZKR", otherwise ZKR<key>.htm beside it.
std::string EntryPageName(const Manifest& m);

} // namespace package
