// The game and the record server: the client made for the server the settings name, and a won
// run handed to it.
#include <cstdlib>
#include <iostream>
#include <random>

#include "framework/asset_paths.h"
#include "framework/bounded_read.h"
#include "framework/http_transport.h"
#include "level/level_limits.h"
#include "records/online_client.h"
#include "records/records_store.h"
#include "records/settings.h"
#include "shell/menu_mode.h"
#include "shell/quillomar_game.h"

namespace quillomar {
namespace {

std::uint64_t random_word() {
    std::random_device device;
    return (static_cast<std::uint64_t>(device()) << 32) ^ device();
}

}  // namespace

online_client* quillomar_game::online() {
    menus().load_settings();
    const std::string& server = menus().saved().server;
#ifndef __EMSCRIPTEN__
    // On the desktop no server is asked until the player names one; the browser asks the one
    // its page came from.
    if (server.empty()) {
        online_.reset();
        online_server_.clear();
        return nullptr;
    }
#endif
    if (!online_ || online_server_ != server) {
        const std::string path =
            identity_path(settings_path(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")));
        player_identity who =
            load_or_make_identity(path, random_word(), random_word(), random_word());
        online_ = std::make_unique<online_client>(make_http_transport(server), std::move(who),
                                                  default_records_folder());
        online_server_ = server;
    }
    return online_.get();
}

std::string quillomar_game::send_won_run(const play_session& session) {
    menus().load_settings();
    const game_state& s = session.state();
    // The game started without the title menu keeps to itself.
    if (!from_menu() || !menus().saved().send_runs || session.level_key().empty()) {
        return {};
    }
    online_client* client = online();
    if (client == nullptr) {
        return {};
    }
    outbox_entry entry;
    entry.level_key = session.level_key();
    const std::string path = platform_path(session.level_path());
    const bounded_read read = read_bounded(path, max_level_file_bytes, entry.level_text);
    if (!read.ok() || read.truncated || level_key(entry.level_text) != entry.level_key) {
        std::cout << "The won run is not sent: its level file " << path
                  << " is no longer the level played." << std::endl;
        return {};
    }
    recording run = session.run();
    run.result = run_result{s.finish_time - s.play_started, 5 - s.lives};
    entry.recording = format_recording(run);
    return client->send_run(entry);
}

void quillomar_game::set_server(const std::string& address) {
    settings values = menus().saved();
    values.server = address;
    menus().keep(values);
    online();
}

void quillomar_game::rename_player(const std::string& name) {
    online_client* client = online();
    if (client == nullptr || !valid_player_name(name)) {
        return;
    }
    client->rename(name);
    save_identity(
        identity_path(settings_path(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"))),
        client->identity());
}

}  // namespace quillomar
