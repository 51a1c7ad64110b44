// The player's words: the compiled catalogues read (and hostile ones refused), the language the
// environment asks for, the HUD's words in a game started from the title menu, and the title
// menu laid out whole in every language, text size and small window.
#include <gtest/gtest.h>

#include <cctype>

#include "framework/asset_paths.h"
#include "framework/key_map.h"
#include "game/hud_layout.h"
#include "game/menu.h"
#include "game/words.h"
#include "records/settings.h"
#include "tests/support/serif_metrics.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

using test::serif_like;

// A catalogue of one entry, "Play" -> `translated`, laid out as msgfmt lays it out.
std::string one_entry(const std::string& translated) {
    std::string b;
    const auto word = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            b += static_cast<char>(v >> (8 * i) & 0xff);
        }
    };
    // The magic, revision 0, one string, the originals' and the translations' tables, no hash
    // table; then "Play" at 44 and the translation at 49.
    for (const std::uint32_t v : {0x950412deu, 0u, 1u, 28u, 36u, 0u, 0u, 4u, 44u,
                                  static_cast<std::uint32_t>(translated.size()), 49u}) {
        word(v);
    }
    b += std::string("Play") + '\0' + translated + '\0';
    return b;
}

TEST(Words, TheBuiltCataloguesReadAndSpeakTheirLanguage) {
    for (const auto& [code, settings_word] :
         {std::pair{"de", "Einstellungen"}, std::pair{"fr", "Param\u00e8tres"}}) {
        std::string why;
        const auto words = parse_catalogue(test::file_text(platform_path(catalogue_path(code))), &why);
        ASSERT_TRUE(words) << code << ": " << why;
        EXPECT_EQ(words->at("Settings"), settings_word);
        EXPECT_GT(words->size(), 100u);
    }
    use_language("de");
    EXPECT_EQ(language_in_force(), "de");
    EXPECT_EQ(tr("Settings"), "Einstellungen");
    EXPECT_EQ(tr("no such text"), "no such text");
    use_language("en");
    EXPECT_EQ(tr("Settings"), "Settings");
}

TEST(Words, HostileCataloguesAreRefusedWithAReason) {
    ASSERT_TRUE(parse_catalogue(one_entry("Spielen")));
    EXPECT_EQ(parse_catalogue(one_entry("Spielen"))->at("Play"), "Spielen");
    std::string bad_offset = one_entry("Spielen");
    bad_offset[32] = '\x7f';  // the original's offset far past the end
    std::string no_nul = one_entry("Spielen");
    no_nul.pop_back();
    std::string lying_count = one_entry("Spielen");
    lying_count[10] = '\x10';
    std::string huge_table = one_entry("Spielen");
    huge_table[15] = '\xff';  // the originals' table at almost 4 GiB
    for (const std::string& bytes :
         {std::string(), std::string("\xde\x12\x04"), std::string(64, 'x'), bad_offset, no_nul,
          lying_count, huge_table}) {
        std::string why;
        EXPECT_FALSE(parse_catalogue(bytes, &why));
        EXPECT_FALSE(why.empty());
    }
    // The header and an empty translation are no words of the game.
    EXPECT_TRUE(parse_catalogue(one_entry(""))->empty());
}

TEST(Words, TheEnvironmentNamesTheLanguage) {
    struct row {
        const char* language;
        const char* lc_all;
        const char* lc_messages;
        const char* lang;
        const char* code;
    };
    for (const row& r : {row{nullptr, nullptr, nullptr, "de_DE.UTF-8", "de"},
                         row{nullptr, nullptr, nullptr, nullptr, "en"},
                         row{"", "", "", "fr_CA", "fr"},
                         row{"fr:de", "de_DE", nullptr, "en_GB", "fr"},
                         row{nullptr, "C", nullptr, "de_DE.UTF-8", "en"},
                         row{nullptr, nullptr, "de_AT@euro", "fr_FR", "de"},
                         row{nullptr, nullptr, nullptr, "ja_JP.UTF-8", "en"}}) {
        EXPECT_EQ(language_from_environment(r.language, r.lc_all, r.lc_messages, r.lang), r.code)
            << (r.lang ? r.lang : "-");
    }
}

TEST(Words, TheLanguageEntrySetsTheSettingsLanguage) {
    settings s;
    menu m(title_menu_pages({}, default_key_bindings()));
    menu_entry* language = m.find("language");
    ASSERT_NE(language, nullptr);
    language->value = 2;
    apply_entry(s, *language);
    EXPECT_EQ(s.language, "de");
}

TEST(Words, AGameFromTheTitleMenuCountsLivesAndFlipsInThePlayersWords) {
    game_state s;
    s.lives = 3;
    s.change_count = 2;
    s.message = {"MMQ: off.", true};
    const auto texts = [](const std::vector<hud_line>& lines) {
        std::string all;
        for (const hud_line& l : lines) {
            all += l.text + "|";
        }
        return all;
    };
    EXPECT_EQ(texts(hud_lines(s)), "No level to play|Change: 2|Leben: 3|MMQ: off.|");
    EXPECT_EQ(texts(hud_lines(s, hud_words::player)),
              "No level to play|Flips: 2|Lives: 3|Mip-mapping: off|");
    use_language("fr");
    EXPECT_EQ(texts(hud_lines(s, hud_words::player)),
              "Aucun niveau \u00e0 jouer|Retournements : 2|Vies : 3|Mip-mapping : d\u00e9sactiv\u00e9|");
    // The game's own words never change with the language.
    EXPECT_EQ(texts(hud_lines(s)), "No level to play|Change: 2|Leben: 3|MMQ: off.|");
    use_language("en");
}

TEST(Words, TextIsMeasuredAndCutByCharactersNotBytes) {
    text_metrics m;
    m.advance.fill(10.0f);
    const std::string five = "\u00e4\u00f6\u00fc\u00e9\u00e7";  // ten bytes, five characters
    EXPECT_EQ(text_width(m, five, 1.0f), 50.0f);
    EXPECT_EQ(wrap_to_width(m, five, 1.0f, 25.0f),
              (std::vector<std::string>{"\u00e4\u00f6", "\u00fc\u00e9", "\u00e7"}));
    EXPECT_EQ(shorten_to_width(m, five, 1.0f, 45.0f), "\u00e4..." );
    // A byte that begins no character counts once and draws nothing.
    EXPECT_EQ(text_width(m, "a\xc3", 1.0f), 10.0f);
    EXPECT_EQ(char_at("\xe2\x82\xac", 0).code, 0x20acu);
    EXPECT_EQ(char_at("\xc0\x80", 0).bytes, 1u);  // an overlong NUL is no character
}

TEST(Words, TheTitleMenuShowsEveryEntryWholeInEveryLanguageAndSize) {
    const text_metrics metrics = serif_like();
    for (const char* code : {"en", "de", "fr"}) {
        use_language(code);
        const menu m(title_menu_pages({}, default_key_bindings()));
        for (const auto& [width, height] : {std::pair{640, 480}, std::pair{800, 600}}) {
            for (const float scale : {1.0f, 1.5f, 2.0f}) {
                menu_screen screen;
                screen.width = width;
                screen.height = height;
                screen.text_scale = scale;
                screen.big_title = true;
                const menu_layout laid = lay_out_menu(m, screen, metrics);
                const std::string where = std::string(code) + " " + std::to_string(width) + "x" +
                                          std::to_string(height) + " at " + std::to_string(scale);
                ASSERT_EQ(laid.rows.size(), m.page().entries.size()) << where;
                for (const menu_entry& e : m.page().entries) {
                    EXPECT_TRUE(std::any_of(laid.lines.begin(), laid.lines.end(),
                                            [&](const hud_line& l) { return l.text == e.label; }))
                        << where << ": " << e.label;
                }
                for (const hud_line& l : laid.lines) {
                    const float drawn = l.scale * scale;
                    EXPECT_GE(drawn, 0.999f) << where << ": never below the HUD's own size";
                    const float w = text_width(metrics, l.text, drawn);
                    EXPECT_LE(width / 2.0f + l.x_pixels + w, width + 0.5f) << where << l.text;
                    EXPECT_LE(l.y_pixels, height) << where << ": " << l.text;
                }
            }
        }
    }
    use_language("en");
}

TEST(Words, TheHudOfATitleMenuGameLeavesTheMiddleClear) {
    for (const float scale : {1.0f, 1.5f, 2.0f}) {
        hud_frame frame{640, 480, scale, serif_like()};
        game_state s;
        s.has_level = true;
        s.play_started = 0.0;
        s.clock_time = 83.25;
        std::vector<hud_line> lines = hud_lines(s, hud_words::player);
        const std::size_t own = lines.size();
        lines.push_back({"Gold 1:30.0", true, 8, 200, hud_tone::ahead, 1.0f, true});
        const std::vector<hud_line> laid =
            kept_on_screen(clear_of_the_middle(lines, own, frame), frame);
        ASSERT_EQ(laid.size(), lines.size());
        for (const hud_line& l : laid) {
            EXPECT_LE(l.y_pixels, 0.2f * 480 + 1) << l.text << " at " << scale;
        }
    }
}

}  // namespace
}  // namespace quillomar
