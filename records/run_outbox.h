// Runs waiting to be sent to the record server, kept on disk beside the records so that none is
// lost while the server cannot be reached: one file a run in <records>/outbox/, written
// atomically. A run leaves the folder only once the server has taken it, or, when the server says
// it can never count, into outbox/refused/ with the reason beside it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillomar {

struct outbox_entry {
    std::string level_key;   // 16 hex digits
    std::string level_text;  // the level file, uploaded when the server does not know it
    std::string recording;   // the run's recording file
};

// An entry file, version 1:
//   quillomar-outbox 1
//   level <key>
//   level-bytes <N>
//   <N bytes of the level file>
//   recording-bytes <M>
//   <M bytes of the recording>
// Nothing may follow. The lengths are bounded by the game's limits on level and recording files.
std::string format_outbox_entry(const outbox_entry& entry);
std::optional<outbox_entry> parse_outbox_entry(std::string_view text, std::string* why = nullptr);

// The largest entry file read back.
std::size_t max_outbox_entry_bytes();

// <records>/outbox; empty without a records folder.
std::string outbox_folder(const std::string& records_folder);

class run_outbox {
public:
    explicit run_outbox(std::string records_folder);

    // Keeps the run; returns the entry's name ("<key>-<hash>.run"), or empty with one console
    // line when it cannot be written.
    std::string add(const outbox_entry& entry);
    // The names of the entries waiting, oldest first (by name within the same second).
    std::vector<std::string> waiting() const;
    // The entry's content. A damaged or unreadable entry is moved aside (.damaged) with one
    // console line, and gives nothing: it costs only itself.
    std::optional<outbox_entry> read(const std::string& name) const;
    // The server took it.
    void remove(const std::string& name) const;
    // The server said it can never count: kept in outbox/refused/ with `reason` beside it.
    void refuse(const std::string& name, const std::string& reason) const;
    const std::string& folder() const { return folder_; }

private:
    std::string folder_;
};

}  // namespace quillomar
