// The editor's drawing of areas: a selection's heights, copy and paste, each one step of undo;
// the map's marks an author reads the level by; the zoomed and orbiting views; and the folder
// of the author's own levels; the signs of what each cell holds and the map seen straight down.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <tuple>

#include "authoring/key_table.h"
#include "authoring/level_edit_session.h"
#include "authoring/map_marks.h"
#include "authoring/own_levels.h"
#include "authoring/top_down_view.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

const char* const corridor = "# a corridor\nstart 0 0\nfinish 2 0\npath\n111\n";

level_edit_session open_text(const test::scratch_dir& dir, const char* text) {
    return *level_edit_session::open(dir.write("level.txt", text), nullptr);
}

TEST(EditorArea, AnAreaIsSetRaisedClearedAndPastedInOneStepOfUndo) {
    const test::scratch_dir dir;
    struct area_case {
        const char* name;
        const char* original;
        std::function<edit_result(level_edit_session&)> edit;
        const char* layout;  // the rows after the edit
    };
    const cell_area slab = cell_area::spanning({9, 2}, {0, 0});  // 10 x 3, corners either way
    const area_case cases[] = {
        {"slab of 2", corridor, [&](auto& s) { return s.set_area_height(slab, 2); },
         "2222222222\n2222222222\n2222222222\n"},
        {"raised past 9 stays 9", "path\n190\n", [](auto& s) {
             return s.raise_area(cell_area::spanning({0, 0}, {2, 0}), 1); },
         "291\n"},
        {"lowered below 0 stays empty", "path\n120\n", [](auto& s) {
             return s.raise_area(cell_area::spanning({0, 0}, {2, 0}), -1); },
         "010\n"},
        {"cleared", corridor, [](auto& s) {
             return s.set_area_height(cell_area::spanning({1, 0}, {2, 0}), 0); },
         "100\n"},
        {"pasted below itself", "path\n12\n34\n", [](auto& s) {
             s.copy(cell_area::spanning({0, 0}, {1, 1}));
             return s.paste({1, 2}); },
         "12\n34\n012\n034\n"},
    };
    // A paste brings the copy's items and spiders, and leaves none of the target's own.
    {
        level_edit_session session = open_text(
            dir, "item 0 0\nenemy 1 1\nenemy 2 1\nitem 3 1\nitem 5 5\npath\n1111\n1111\n");
        session.copy(cell_area::spanning({0, 0}, {1, 1}));
        const std::string before = session.document().text();
        ASSERT_TRUE(session.paste({2, 0}).changed);
        const level_document& pasted = session.document();
        EXPECT_EQ(pasted.items(), (std::vector<grid_cell>{{0, 0}, {5, 5}, {2, 0}}));
        EXPECT_EQ(pasted.enemies(), (std::vector<grid_cell>{{1, 1}, {3, 1}}));
        EXPECT_TRUE(session.undo());
        EXPECT_EQ(session.document().text(), before);
    }
    for (const area_case& c : cases) {
        level_edit_session session = open_text(dir, c.original);
        const std::string before = session.document().text();
        const edit_result result = c.edit(session);
        EXPECT_TRUE(result.changed) << c.name;
        const std::string after = session.document().text();
        EXPECT_EQ(after.substr(after.find("path\n") + 5), c.layout) << c.name;
        EXPECT_TRUE(session.undo()) << c.name;
        EXPECT_EQ(session.document().text(), before) << c.name;
        EXPECT_FALSE(session.is_dirty()) << c.name;
        EXPECT_TRUE(session.redo()) << c.name;
        EXPECT_EQ(session.document().text(), after) << c.name;
    }
}

TEST(EditorArea, ARefusedCellLeavesTheWholeAreaAsItWasAndNothingToUndo) {
    const test::scratch_dir dir;
    level_edit_session session = open_text(dir, corridor);
    EXPECT_FALSE(session.has_copy());
    EXPECT_FALSE(session.paste({0, 0}).changed);
    // The first cells would be fine; the last lies left of column 0.
    std::vector<cube_cell> cells = {{{1, 1}, 3}, {{2, 1}, 3}, {{-1, 1}, 3}};
    level_document doc(corridor);
    const edit_result refused = doc.set_heights(cells);
    EXPECT_FALSE(refused.changed);
    EXPECT_FALSE(refused.refusal.empty());
    EXPECT_EQ(doc.text(), corridor);
    EXPECT_FALSE(session.set_area_height(cell_area::spanning({0, 0}, {2, 0}), 1).changed);
    EXPECT_FALSE(session.undo());
}

TEST(MapMarks, NeighbouringHeightsDifferClearlyAndTheCursorHasAColourOfItsOwn) {
    const auto lightness = [](glm::vec4 c) { return 0.2126f * c.r + 0.7152f * c.g + 0.0722f * c.b; };
    for (int h = 1; h < 9; ++h) {
        const glm::vec4 low = height_colour(h);
        const glm::vec4 high = height_colour(h + 1);
        EXPECT_GT(lightness(high) - lightness(low), 0.04f) << h;
        EXPECT_GT(glm::length(glm::vec3(high) - glm::vec3(low)), 0.2f) << h;
    }
    level_document doc("start 0 0\nfinish 1 0\npath\n123\n");
    map_scene scene;
    scene.document = &doc;
    scene.area = {4, 2};
    scene.cursor = {2, 0};
    scene.selection = cell_area::spanning({0, 1}, {1, 1});
    scene.problem = grid_cell{1, 0};
    // The ball drops onto the start before it rolls.
    scene.route = {{0, 25, 0}, {0, 4, 0}, {1, 4, 0}, {4, 6, 0}};
    const std::vector<map_vertex> marks = map_marks(scene);
    ASSERT_EQ(marks.size() % 3, 0u);
    const auto tinted = [&marks](glm::vec4 tint) {
        std::vector<glm::vec3> at;
        for (const map_vertex& v : marks) {
            if (v.tint == tint) {
                at.push_back(v.position);
            }
        }
        return at;
    };
    // The cursor's frame lies over the cursor cell's top (height 3), the problem's mark over its
    // cell (height 2), each all round its cell; nothing else has their colours.
    for (const auto& [tint, centre, height] : {std::tuple{cursor_colour(), glm::vec2(4, 0), 3},
                                               std::tuple{problem_colour(), glm::vec2(2, 0), 2}}) {
        const std::vector<glm::vec3> mark = tinted(tint);
        ASSERT_EQ(mark.size() % 6, 0u);
        glm::vec2 sum(0.0f);
        glm::vec2 low(100.0f);
        glm::vec2 high(-100.0f);
        for (const glm::vec3& p : mark) {
            EXPECT_GT(p.y, cell_top(height));
            sum += glm::vec2(p.x, p.z);
            low = glm::min(low, glm::vec2(p.x, p.z));
            high = glm::max(high, glm::vec2(p.x, p.z));
        }
        const glm::vec2 middle = sum / static_cast<float>(mark.size());
        EXPECT_NEAR(middle.x, centre.x, 1e-3f);
        EXPECT_NEAR(middle.y, centre.y, 1e-3f);
        for (const glm::vec2 edge : {low, high}) {
            EXPECT_NEAR(std::abs(edge.x - centre.x), 1.175f, 0.03f);
            EXPECT_NEAR(std::abs(edge.y - centre.y), 1.175f, 0.03f);
        }
    }
    for (int h = 1; h <= 9; ++h) {
        EXPECT_NE(height_colour(h), cursor_colour());
    }
    for (int h = 1; h <= 3; ++h) {
        const std::vector<glm::vec3> top = tinted(height_colour(h));
        ASSERT_EQ(top.size(), 6u) << h;
        EXPECT_NEAR(top.front().y, cell_top(h), 0.1f);
        EXPECT_NEAR(top.front().x, 2.0f * (h - 1) - 1.0f, 1e-4f);
    }
    // Without the heights the tops are left to the game's own picture.
    scene.heights = false;
    const std::vector<map_vertex> plain = map_marks(scene);
    EXPECT_TRUE(std::none_of(plain.begin(), plain.end(),
                             [](const map_vertex& v) { return v.tint == height_colour(2); }));
    // A cube of height d spans 2d - 1 to 2d + 1; an empty cell's face is the cubes' base.
    EXPECT_EQ(cell_top(3), 7.0f);
    EXPECT_EQ(cell_top(0), 1.0f);
    // Every mark lies within the outline and below the highest top, the route's ribbon too.
    for (const map_vertex& v : marks) {
        EXPECT_LT(v.position.y, cell_top(9) + 1.0f);
        EXPECT_GE(v.position.x, -1.35f);
        EXPECT_LE(v.position.x, 7.35f);
        EXPECT_GE(v.position.z, -1.35f);
        EXPECT_LE(v.position.z, 3.35f);
    }
    scene.document = nullptr;
    EXPECT_TRUE(map_marks(scene).empty());
}

glm::vec2 ndc_of(const top_down_view& v, const glm::vec3& world) {
    const glm::vec4 clip = v.projection * v.view * glm::vec4(world, 1.0f);
    return glm::vec2(clip) / clip.w;
}

TEST(EditorViews, AZoomedViewCentresItsPointAndAnOrbitLooksAtTheCursorFromAnySide) {
    const auto flat = [](grid_cell c) { return c.x < 64 && c.z < 64 ? 1 : 0; };
    const top_down_view whole = make_top_down_view(64, 64, 1.5f);
    const top_down_view near = make_top_down_view(64, 64, 1.5f, 4.0f, {40.0f, 20.0f});
    EXPECT_LT(glm::length(ndc_of(near, {40.0f, 3.0f, 20.0f})), 1e-4f);
    // Four times closer: a cell spans four times the picture.
    const float wide = ndc_of(whole, {2, 3, 0}).x - ndc_of(whole, {0, 3, 0}).x;
    const float zoomed = ndc_of(near, {2, 3, 0}).x - ndc_of(near, {0, 3, 0}).x;
    EXPECT_NEAR(zoomed / wide, 4.0f, 0.05f);
    EXPECT_EQ(cell_at_pointer(near, {0.0f, 0.0f}, flat), (grid_cell{20, 10}));
    EXPECT_EQ(make_top_down_view(8, 8, 1.0f, 0.2f, {7, 7}).view, make_top_down_view(8, 8, 1.0f).view);
    EXPECT_EQ(make_orbit_view({}, 0.0f, 0.5f, 10.0f, 0.0f).aspect, 1.0f);
    for (const float yaw : {0.0f, 1.5f, 3.0f, -2.0f}) {
        const top_down_view orbit = make_orbit_view({10.0f, 3.0f, 6.0f}, yaw, 0.7f, 30.0f, 1.3f);
        EXPECT_LT(glm::length(ndc_of(orbit, {10.0f, 3.0f, 6.0f})), 1e-4f) << yaw;
        EXPECT_NEAR(glm::length(orbit.eye - orbit.target), 30.0f, 1e-3f);
        EXPECT_GT(orbit.eye.y, orbit.target.y);
        EXPECT_EQ(orbit.aspect, 1.3f);
        EXPECT_EQ(cell_at_pointer(orbit, {0.0f, 0.0f}, flat), (grid_cell{5, 3})) << yaw;
    }
}

TEST(OwnLevels, NamesAreTidiedNeverClashAndOnlyLevelFilesAreListed) {
    const std::pair<const char*, const char*> names[] = {
        {"My first level", "My_first_level.txt"},
        {"../../etc/passwd", "etcpasswd.txt"},
        {"  a  b  ", "a_b.txt"},
        {"***", ""},
        {"", ""},
    };
    for (const auto& [typed, file] : names) {
        EXPECT_EQ(own_level_file_name(typed), file) << typed;
    }
    EXPECT_EQ(own_level_file_name(std::string(100, 'x')).size(), 64u);
    EXPECT_EQ(own_levels_folder(""), "");
    EXPECT_EQ(own_levels_folder("/d/quillomar"), "/d/quillomar/levels");

    const test::scratch_dir dir;
    const std::string folder = (dir.path() / "data" / "levels").string();
    EXPECT_TRUE(own_level_names(folder).empty());
    std::string message;
    const std::string first = write_own_level(folder, "b.txt", "path\n1\n", &message);
    EXPECT_EQ(first, folder + "/b.txt") << message;
    EXPECT_EQ(write_own_level(folder, "b.txt", "path\n2\n", &message), folder + "/b-2.txt");
    EXPECT_EQ(free_level_name(folder, "b.txt"), "b-3.txt");
    std::ofstream(folder + "/a.txt") << "path\n";
    std::ofstream(folder + "/notes.md") << "x";
    std::filesystem::create_directory(folder + "/dir.txt");
    std::filesystem::create_symlink(folder + "/a.txt", folder + "/link.txt");
    EXPECT_EQ(own_level_names(folder), (std::vector<std::string>{"a.txt", "b-2.txt", "b.txt"}));
    EXPECT_FALSE(make_own_levels_folder(folder + "/a.txt/x", &message));
    EXPECT_NE(message.find("a.txt"), std::string::npos);
    EXPECT_FALSE(make_own_levels_folder("", &message));
    // The level list calls each by its title line, else by its file's name.
    std::ofstream(folder + "/b.txt") << "# mine\ntitle Amber Steps\npath\n1\n";
    const level_set own = own_level_set(folder);
    ASSERT_EQ(own.size(), 3u);
    EXPECT_EQ(own[0].title, "a");
    EXPECT_EQ(own[2].title, "Amber Steps");
    EXPECT_EQ(own[2].path, folder + "/b.txt");
}

TEST(MapMarks, EachSignLiesInItsCellAboveItsTopAndASharedCellSplitsIntoQuarters) {
    level_document doc("start 0 0\nfinish 2 1\nitem 1 0\nitem 3 1\nenemy 3 1\npath\n1211\n1131\n");
    map_scene scene;
    scene.document = &doc;
    scene.area = {4, 2};
    scene.signs_above = 4.0f;
    // Each sign's colour and the part of the cell it keeps to, from the cell's middle.
    const std::tuple<map_sign, grid_cell, glm::vec2, glm::vec2> signs[] = {
        {map_sign::start, {0, 0}, {-1, -1}, {1, 1}},   {map_sign::finish, {2, 1}, {-1, -1}, {1, 1}},
        {map_sign::item, {1, 0}, {-1, -1}, {1, 1}},    {map_sign::item, {3, 1}, {-1, -1}, {0, 0}},
        {map_sign::spider, {3, 1}, {0, -1}, {1, 0}},
    };
    for (const map_vertex& v : map_marks(scene)) {
        for (const map_sign sign : {map_sign::start, map_sign::finish, map_sign::item, map_sign::spider}) {
            if (v.tint != sign_colour(sign)) {
                continue;
            }
            const bool placed = std::any_of(std::begin(signs), std::end(signs), [&](const auto& e) {
                const auto& [what, cell, low, high] = e;
                const glm::vec2 p = glm::vec2(v.position.x - 2 * cell.x, v.position.z - 2 * cell.z);
                return what == sign && glm::all(glm::greaterThanEqual(p, low - 1e-4f)) &&
                       glm::all(glm::lessThanEqual(p, high + 1e-4f)) &&
                       v.position.y > cell_top(doc.height(cell)) + 4.0f;
            });
            EXPECT_TRUE(placed) << v.position.x << " " << v.position.y << " " << v.position.z;
        }
    }
    // Apart from the heights (the finish is told by its chequer), the cursor and the warning.
    for (const map_sign sign : {map_sign::start, map_sign::item, map_sign::spider}) {
        for (int h = 1; h <= 9; ++h) {
            EXPECT_NE(glm::vec3(sign_colour(sign)), glm::vec3(height_colour(h)));
        }
        EXPECT_NE(sign_colour(sign), cursor_colour());
        EXPECT_NE(sign_colour(sign), problem_colour());
    }
}

TEST(TopDownView, SeenStraightDownACubesTopCoversItsCellAndTheMapKeepsToItsBand) {
    const std::pair<float, map_band> cases[] = {
        {4.0f / 3.0f, {}}, {16.0f / 9.0f, {0.1f, 0.5f}}, {0.6f, {0.3f, 0.95f}}, {1.0f, {0.6f, 0.6f}}};
    for (const auto& [aspect, band] : cases) {
        const top_down_view v = make_top_down_view(7, 5, aspect, band);
        const glm::vec2 edges = band_ndc(band);  // a band too thin is widened
        EXPECT_GE(edges.y - edges.x, 0.099f);
        for (const grid_cell c : {grid_cell{0, 0}, grid_cell{6, 4}, grid_cell{3, 2}}) {
            const pixel_rect base = cell_top_pixels(v, c, 0, 800, 600);
            const pixel_rect nine = cell_top_pixels(v, c, 9, 800, 600);
            EXPECT_LT(glm::length(base.low - nine.low) + glm::length(base.high - nine.high), 1e-3f);
            EXPECT_GE(base.low.x, 0.0f);
            EXPECT_LE(base.high.x, 800.0f);
            EXPECT_GE(base.low.y, 300.0f * (1.0f - edges.y) - 0.01f) << aspect;
            EXPECT_LE(base.high.y, 300.0f * (1.0f - edges.x) + 0.01f) << aspect;
        }
        // What the view shows is inside its planes, what lies beside it is not.
        const view_frustum f = frustum_of(v);
        EXPECT_NE(f.sphere_in_frustum({12.0f, 19.0f, 8.0f}, 1.0f), view_frustum::outside);
        EXPECT_EQ(f.sphere_in_frustum({300.0f, 3.0f, 4.0f}, 1.0f), view_frustum::outside);
        EXPECT_EQ(f.sphere_in_frustum({6.0f, 3.0f, -300.0f}, 1.0f), view_frustum::outside);
    }
}

TEST(KeyTable, ReadsDownTheColumnsFitsTheWidthAndShrinksOnlyWhenTheRowsWouldNot) {
    text_metrics metrics;
    metrics.advance.fill(10.0f);
    metrics.line_height = 20.0f;
    const std::vector<std::string> entries = {"aaaa", "bb", "cccccc", "d", "eeee", "ff", "g"};
    // Width and height allowed; rows and scale. Columns 20 pixels apart at scale 1.
    const std::tuple<float, float, int, float> rows[] = {
        {1000.0f, 1000.0f, 1, 1.0f},  // all side by side
        {130.0f, 1000.0f, 4, 1.0f},   // two columns of four, 60 + 20 + 40 wide
        {50.0f, 1000.0f, 7, 1.0f},    // one column, the widest shortened
        {130.0f, 40.0f, 2, 0.59f},    // shrunk in steps of a tenth until two rows fit
    };
    for (const auto& [width, most_height, rows_wanted, scale] : rows) {
        const key_table t = lay_out_key_table(metrics, entries, 1.0f, width, most_height);
        EXPECT_EQ(t.rows, rows_wanted) << width << " " << most_height;
        EXPECT_NEAR(t.scale, scale, 0.01f) << width << " " << most_height;
        ASSERT_EQ(t.cells.size(), entries.size());
        for (std::size_t i = 0; i < t.cells.size(); ++i) {
            EXPECT_EQ(t.cells[i].row, static_cast<int>(i) % t.rows);
            EXPECT_LE(t.cells[i].x + text_width(metrics, t.cells[i].text, t.scale), width + 1e-3f);
        }
    }
    EXPECT_EQ(lay_out_key_table(metrics, entries, 1.0f, 50.0f, 1000.0f).cells[2].text, "cc...");
}

}  // namespace
}  // namespace quillomar
