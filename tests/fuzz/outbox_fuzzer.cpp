// Feeds arbitrary bytes to the reader of a run waiting in the outbox, and to the readers of the
// record server's answers. An entry it accepts comes back unchanged through writing and reading
// again; an answer it accepts holds only what the game may show.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "records/json_text.h"
#include "records/online_client.h"
#include "records/player_identity.h"
#include "records/records_store.h"
#include "records/run_outbox.h"

using namespace quillomar;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string why;
    const auto entry = parse_outbox_entry(text, &why);
    bool good = entry ? level_key(entry->level_text) == entry->level_key : !why.empty();
    if (entry) {
        const auto again = parse_outbox_entry(format_outbox_entry(*entry));
        good = good && again && again->recording == entry->recording &&
               format_outbox_entry(*entry) == text;
    }
    if (const auto board = parse_leaderboard(text)) {
        for (const board_row& row : board->top) {
            good = good && row.rank > 0 && row.seconds >= 0.0 && valid_player_name(row.player);
        }
    }
    if (const auto page = parse_level_page(text)) {
        for (const shared_level_row& row : page->levels) {
            good = good && row.key.size() == 16 && row.title.size() <= 83;
        }
    }
    parse_run_state(text);
    if (const auto value = parse_json(text)) {
        if (value->type == json_value::kind::string) {
            good = good && parse_json(json_quote(value->text))->text == value->text;
        }
    }
    good = good && refusal_reason(400, text).size() <= 123 + 40;
    if (!good) {
        std::abort();
    }
    return 0;
}
