// The player's words in a game started from the title menu: each text is written in English
// where it is used, wrapped in tr(), and shown in the language in force. The game started
// without the title menu never puts a catalogue in force, so its texts stay exactly as they are.
//
// The catalogues are gettext's compiled form (.mo), made from po/<language>.po at build time and
// read here, by the game itself: the C library's gettext would take a catalogue only for a locale
// installed on the machine, and the browser has none.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace quillomar {

// `english` in the language in force; English itself when no catalogue is in force or the
// catalogue lacks it.
std::string tr(const char* english);
std::string tr(const std::string& english);

// Marks `english` for the catalogues where it is only looked up later, through tr(): a table of
// words made before the language is known.
constexpr const char* tr_later(const char* english) { return english; }

// `text` with each "%1", "%2" replaced by `first`, `second`: a sentence whose parts are put in
// where each language wants them ("%1 is taken by %2").
std::string fill_in(const std::string& text, const std::string& first,
                    const std::string& second = {});

// The languages a player may choose, by code: "en", "de", "fr". "auto" takes the environment's.
inline constexpr const char* language_codes[] = {"en", "de", "fr"};

// A catalogue: English text -> its translation.
using word_catalogue = std::map<std::string, std::string>;

// Reads a compiled gettext catalogue. Every offset and length is checked against the file; a
// file that is no catalogue gives nothing and the reason in `why`. Entries with an empty
// translation, plural forms and the header entry are left out.
std::optional<word_catalogue> parse_catalogue(std::string_view bytes, std::string* why = nullptr);

// The language the environment asks for, as one of language_codes: the first set of LANGUAGE
// (its first entry), LC_ALL, LC_MESSAGES and LANG, "de_DE.UTF-8" read as "de"; English for a
// language without a catalogue, for "C" and "POSIX", and when none is set. Takes the values so
// tests need not touch the process's environment.
std::string language_from_environment(const char* language, const char* lc_all,
                                      const char* lc_messages, const char* lang);
// The same, from this process's environment.
std::string environment_language();

// The catalogue of `code` ("de") from Quillomar/locale/<code>.mo, put in force; English for "en"
// or an unknown code. A missing or damaged catalogue costs one console line naming the file, and
// English goes on. "auto" takes environment_language().
void use_language(const std::string& code);
// Puts `words` in force as the language `code` (tests, and use_language).
void use_catalogue(const std::string& code, word_catalogue words);
// The code of the language in force: "en" until another is put in force.
std::string language_in_force();

// The game path of a language's catalogue.
std::string catalogue_path(const std::string& code);

}  // namespace quillomar
