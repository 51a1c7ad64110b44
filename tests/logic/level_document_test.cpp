// The editor's model: level files kept byte for byte, edits that touch only their lines and read
// back with the game's own reader, undo, limits, and opening and saving files.
#include <sys/stat.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <functional>

#include "authoring/level_edit_session.h"
#include "tests/support/document_reading.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

std::string repeated(const std::string& line, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += line;
    }
    return text;
}

TEST(level_document, formats_every_text_back_to_its_own_bytes) {
    std::vector<std::string> texts = {
        "", "\n", "path", "\r\n\r\n", "\r", "path\r", "a\rb\r\r\nc\r",
        "start 1 1\r\nfinish 2 2\r\nitem 1 1\r\npath\r\n0110\r\n1221",
        "# comment\n start 5 5\nstart  3 4   \nenemy 7\nitem 1 2 3\npath  \npath\n 1.9x \n\n\n",
        "item 2 2\nitem 2 2\npath\nenemy 3 4\n0120",
        // Past the limits: the game keeps the first cubes, items and spiders, and so does the view.
        repeated("item 1 1\n", max_level_items) + "item 9 9\npath\n" +
            std::string(max_level_cubes - 1, '1') + "\n2345\n",
    };
    for (const auto& entry : std::filesystem::directory_iterator(test::source_dir() / "levels")) {
        texts.push_back(test::file_text(entry.path()));
    }
    texts.push_back(test::file_text(test::source_dir() / "level.txt"));
    for (const std::string& text : texts) {
        const level_document doc(text);
        EXPECT_EQ(doc.text(), text);
        EXPECT_EQ(test::game_reads_otherwise(doc), "") << text.substr(0, 80);
    }
}

TEST(level_document, edits_change_only_their_lines_and_can_be_taken_back) {
    using edit = std::function<edit_result(level_document&)>;
    const auto height = [](int x, int z, int h) {
        return edit([=](level_document& d) { return d.set_height({x, z}, h); });
    };
    const auto start = [](int x, int z) {
        return edit([=](level_document& d) { return d.set_start({x, z}); });
    };
    const auto finish = [](int x, int z) {
        return edit([=](level_document& d) { return d.set_finish({x, z}); });
    };
    const auto item = [](int x, int z) {
        return edit([=](level_document& d) { return d.toggle_item({x, z}); });
    };
    const auto enemy = [](int x, int z) {
        return edit([=](level_document& d) { return d.toggle_enemy({x, z}); });
    };
    const auto heading = [](std::optional<facing> f) {
        return edit([=](level_document& d) { return d.set_facing(f); });
    };
    const auto title = [](const char* text) {
        return edit([=](level_document& d) { return d.set_title(text); });
    };
    const auto hint = [](const char* text) {
        return edit([=](level_document& d) { return d.set_hint(text); });
    };
    const struct {
        std::string before;
        edit change;
        std::string after;  // the same text when nothing changes
    } cases[] = {
        {"start 1 1\npath\n00\n", height(1, 0, 3), "start 1 1\npath\n03\n"},
        {"path\n.5.\n", height(1, 0, 0), "path\n.0.\n"},
        {"path\n1\n", height(3, 0, 2), "path\n1002\n"},
        {"a\r\npath\r\n1", height(2, 2, 2), "a\r\npath\r\n1\r\n000\r\n002"},
        {"# only a comment", height(0, 1, 1), "# only a comment\npath\n0\n1"},
        {"path\n01\r", height(0, 1, 4), "path\n01\r\r\n4"},
        {"path\n1x\n", height(1, 0, 0), "path\n1x\n"},
        {"path\n15\n", height(1, 0, 5), "path\n15\n"},
        {"start 1 1\nstart 2 2\npath\n", start(2, -6), "start 1 1\nstart 2 -6\npath\n"},
        {"path\n1", start(1, 0), "start 1 0\npath\n1"},
        {"start 02 2\npath\n", start(2, 2), "start 02 2\npath\n"},
        {"# c\nitem 1 1\nstart 0 0\npath\n", item(2, 3), "# c\nitem 1 1\nitem 2 3\nstart 0 0\npath\n"},
        {"item 1 1\nitem 2 2\nitem 1 1\npath\n", item(1, 1), "item 2 2\npath\n"},
        {"# c\r\npath\r\n1", enemy(4, 0), "# c\r\nenemy 4 0\r\npath\r\n1"},
        {"enemy 1 1\nitem 3 3\n# c\npath\n", finish(1, 2), "enemy 1 1\nitem 3 3\nfinish 1 2\n# c\npath\n"},
        {"path\r", finish(1, 1), "path\r\r\nfinish 1 1"},
        {"enemy 7\n", enemy(7, 7), ""},
        // The facing follows the start; north needs no line, and none removes every line.
        {"# c\nstart 1 1\nfinish 2 2\npath\n", heading(facing::east),
         "# c\nstart 1 1\nfacing east\nfinish 2 2\npath\n"},
        {"path\n1", heading(facing::west), "facing west\npath\n1"},
        {"start 0 0\npath\n", heading(facing::north), "start 0 0\npath\n"},
        {"facing up\r\nfacing east\r\nfacing up\r\npath\r\n", heading(facing::south),
         "facing up\r\nfacing east\r\nfacing south\r\npath\r\n"},
        {"facing east\n# c\nfacing up\npath\n", heading(std::nullopt), "# c\npath\n"},
        {"facing east\npath\n", heading(facing::north), "facing north\npath\n"},
        // Title and hint go together ahead of the markers, below leading comments.
        {"# c\nfinish 1 1\nstart 0 0\npath\n", title("Far shore"),
         "# c\ntitle Far shore\nfinish 1 1\nstart 0 0\npath\n"},
        {"title A\nstart 0 0\npath\n", hint("Go  east"),
         "title A\nhint Go  east\nstart 0 0\npath\n"},
        {"hint H\ntitle A\ntitle B\npath\n", title("C"), "hint H\ntitle A\ntitle C\npath\n"},
        {"hint H\npath\n", title("T"), "title T\nhint H\npath\n"},
        {"title A\ntitle B\npath\n", title(""), "path\n"},
        {"title B\n", title("B"), "title B\n"},
        {"", hint("h"), "hint h\n"},
    };
    for (const auto& c : cases) {
        level_document doc(c.before);
        const edit_result result = c.change(doc);
        EXPECT_EQ(doc.text(), c.after) << c.before;
        EXPECT_EQ(result.changed, c.after != c.before) << c.before;
        EXPECT_EQ(result.refusal, "") << c.before;
        EXPECT_EQ(test::game_reads_otherwise(doc), "") << c.before;
        doc.revert(result.change);
        EXPECT_EQ(doc.text(), c.before);
        EXPECT_EQ(test::game_reads_otherwise(doc), "") << c.before;
        doc.apply(result.change);
        EXPECT_EQ(doc.text(), c.after);
    }
}

TEST(level_document, refuses_edits_past_the_limits_and_says_why) {
    const std::string full_items = repeated("item 1 1\n", max_level_items - 1) + "item 2 2\npath\n";
    const std::string full_enemies = repeated("enemy 3 3\n", max_level_enemies) + "path\n";
    const std::string full_cubes = "path\n" + std::string(max_level_cubes, '1') + "0\n";
    const struct {
        std::string text;
        std::function<edit_result(level_document&)> edit;
        const char* why;
    } cases[] = {
        {"path\n", [](level_document& d) { return d.set_height({0, 0}, 10); }, "from 1 to 9"},
        {"path\n1", [](level_document& d) { return d.set_height({0, 0}, -1); }, "from 1 to 9"},
        {"path\n", [](level_document& d) { return d.set_height({-1, 0}, 1); }, "column 0"},
        {"path\n", [](level_document& d) { return d.set_height({0, -1}, 1); }, "row 0"},
        {full_cubes, [](level_document& d) { return d.set_height({16384, 0}, 1); }, "16384 cubes"},
        {full_cubes, [](level_document& d) { return d.set_height({0, 1}, 1); }, "16384 cubes"},
        {full_items, [](level_document& d) { return d.toggle_item({5, 5}); }, "256 items"},
        {full_enemies, [](level_document& d) { return d.toggle_enemy({5, 5}); }, "256 spiders"},
        {"path\n", [](level_document& d) { return d.set_height({INT_MAX, 0}, 1); }, "grow past"},
        {"path\n1", [](level_document& d) { return d.set_height({INT_MAX, 0}, 1); }, "grow past"},
        {"path\n", [](level_document& d) { return d.set_height({0, INT_MAX}, 1); }, "grow past"},
        {"# c", [](level_document& d) { return d.set_height({9000, 9000}, 1); }, "grow past"},
        {"path\n", [](level_document& d) { return d.set_title("a\nb"); }, "single line"},
        {"path\n", [](level_document& d) { return d.set_hint("a\r"); }, "single line"},
        {"path\n",
         [](level_document& d) { return d.set_hint(std::string(max_level_text_bytes + 1, 'h')); },
         "at most 160"},
    };
    for (const auto& c : cases) {
        level_document doc(c.text);
        const edit_result result = c.edit(doc);
        EXPECT_FALSE(result.changed) << c.why;
        EXPECT_NE(result.refusal.find(c.why), std::string::npos) << result.refusal;
        EXPECT_EQ(doc.text(), c.text) << c.why;
    }
    // At the limits the cells already used can still change.
    level_document cubes(full_cubes);
    EXPECT_TRUE(cubes.set_height({0, 0}, 4).changed);
    level_document items(full_items);
    EXPECT_TRUE(items.toggle_item({2, 2}).changed);
    EXPECT_TRUE(items.toggle_item({7, 7}).changed);
}

TEST(level_edit_session, opens_edits_undoes_and_saves_byte_for_byte) {
    test::scratch_dir scratch;
    const std::string original = "# mine\r\nstart 1 1\r\npath\r\n0110\r\n0220  ";
    const std::string path = scratch.write("level.txt", original);
    auto session = level_edit_session::open(path, nullptr);
    ASSERT_TRUE(session);
    EXPECT_TRUE(session->set_height({1, 1}, 3).changed);
    EXPECT_TRUE(session->toggle_item({2, 1}).changed);
    EXPECT_TRUE(session->is_dirty());
    EXPECT_TRUE(session->undo() && session->undo());
    EXPECT_FALSE(session->undo());
    EXPECT_FALSE(session->is_dirty());
    ASSERT_TRUE(session->save(nullptr));
    EXPECT_EQ(test::file_text(path), original);

    EXPECT_TRUE(session->redo());
    EXPECT_TRUE(session->is_dirty());
    ASSERT_TRUE(session->save(nullptr));
    EXPECT_FALSE(session->is_dirty());
    EXPECT_EQ(test::file_text(path), "# mine\r\nstart 1 1\r\npath\r\n0110\r\n0320  ");
    EXPECT_TRUE(session->undo());
    EXPECT_TRUE(session->is_dirty());
    // A new edit ends the redo: the saved state is now out of reach.
    EXPECT_TRUE(session->set_start({0, 0}).changed);
    EXPECT_FALSE(session->redo());
    EXPECT_TRUE(session->undo());
    EXPECT_TRUE(session->is_dirty());
}

TEST(level_edit_session, a_missing_file_is_a_new_level_the_game_reads) {
    test::scratch_dir scratch;
    const std::string path = (scratch.path() / "new" / "level.txt").string();
    auto session = level_edit_session::open(path, nullptr);
    ASSERT_TRUE(session);
    EXPECT_FALSE(session->is_dirty());
    EXPECT_TRUE(session->is_new() && session->document().cubes().empty());
    EXPECT_TRUE(session->document().start() && session->document().finish());
    EXPECT_TRUE(session->set_height({2, 1}, 1).changed);
    EXPECT_TRUE(session->set_finish({2, 1}).changed);
    ASSERT_TRUE(session->save(nullptr));
    EXPECT_FALSE(session->is_new());
    EXPECT_FALSE(level_edit_session::open(path, nullptr)->is_new());
    level lvl;
    ASSERT_TRUE(lvl.read_file(path));
    EXPECT_EQ(lvl.cubes, std::vector<glm::vec3>{glm::vec3(4, 2, 2)});
    EXPECT_EQ(lvl.finish, glm::vec2(4, 2));
}

TEST(level_edit_session, files_it_cannot_read_or_write_get_one_line_naming_them) {
    test::scratch_dir scratch;
    const std::string fifo = (scratch.path() / "fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string huge = scratch.write("huge.txt", "path\n");
    std::filesystem::resize_file(huge, max_level_file_bytes + 1);
    for (const std::string& path :
         {scratch.path().string(), fifo, std::string("/dev/zero"), huge, huge + "/level.txt"}) {
        std::string message;
        EXPECT_FALSE(level_edit_session::open(path, &message)) << path;
        // The file's name, then why.
        EXPECT_GT(message.size(), message.find(path + ": ") + path.size() + 2) << message;
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    }
    // A folder where the file should be: the save fails, and the edit stays unsaved in memory.
    const std::string blocked = (scratch.path() / "blocked").string();
    auto session = level_edit_session::open(blocked, nullptr);
    ASSERT_TRUE(session);
    std::filesystem::create_directories(blocked + "/inside");
    session->set_height({0, 0}, 2);
    std::string message;
    EXPECT_FALSE(session->save(&message));
    EXPECT_NE(message.find(blocked), std::string::npos) << message;
    EXPECT_TRUE(session->is_dirty());
    EXPECT_EQ(session->document().height({0, 0}), 2);
}

TEST(edit_history, keeps_only_the_newest_changes_within_its_bounds) {
    level_document doc("path\n");
    edit_history history(2);
    const auto first_state = history.state();
    for (int x = 0; x < 3; ++x) {
        history.record(doc.set_height({x, 0}, 1).change);
    }
    EXPECT_TRUE(history.undo(doc) && history.undo(doc));
    EXPECT_FALSE(history.undo(doc));
    EXPECT_EQ(doc.text(), "path\n1\n");
    EXPECT_NE(history.state(), first_state);
    EXPECT_TRUE(history.redo(doc) && history.redo(doc));
    EXPECT_FALSE(history.redo(doc));
    EXPECT_EQ(doc.text(), "path\n111\n");

    // A bound on bytes: two of these changes fit, and the undone ones no longer count.
    level_document row("path\n000\n");
    const std::size_t one_change = sizeof(text_line) * 2 + 8;
    edit_history bytes(100, one_change * 2 + one_change / 2);
    for (int x : {0, 1, -1, -1, 2, 0}) {
        if (x < 0) {
            EXPECT_TRUE(bytes.undo(row));
        } else {
            bytes.record(row.set_height({x, 0}, x + 1).change);
        }
    }
    EXPECT_TRUE(bytes.undo(row) && bytes.undo(row));
    EXPECT_FALSE(bytes.undo(row));
    // A change over the bound on its own is still kept.
    edit_history tiny(100, 1);
    tiny.record(row.set_height({0, 0}, 9).change);
    EXPECT_TRUE(tiny.undo(row));
}

}  // namespace
}  // namespace quillomar
