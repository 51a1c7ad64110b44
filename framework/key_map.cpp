#include "framework/key_map.h"

#include <GLFW/glfw3.h>

#ifdef __EMSCRIPTEN__
#include "framework/browser_gamepad.h"
#endif

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace quillomar {
namespace {

// Every key the player may rebind, with its settings name and default key; a command's row
// per command, in the order of the commands.
struct key_row {
    const char* name;
    bool is_command;
    command action;
    window_action shell_action;
    int key;
};

constexpr key_row key_rows[] = {
    {"forward", true, command::forward, {}, GLFW_KEY_W},
    {"back", true, command::back, {}, GLFW_KEY_S},
    {"turn-left", true, command::turn_left, {}, GLFW_KEY_A},
    {"turn-right", true, command::turn_right, {}, GLFW_KEY_D},
    {"flip", true, command::flip, {}, GLFW_KEY_SPACE},
    {"restart", true, command::restart, {}, GLFW_KEY_R},
    {"camera", true, command::camera, {}, GLFW_KEY_C},
    {"music", true, command::music, {}, GLFW_KEY_M},
    {"spiders", true, command::spiders, {}, GLFW_KEY_P},
    {"frame-time", true, command::frame_time, {}, GLFW_KEY_F2},
    {"wireframe", true, command::wireframe, {}, GLFW_KEY_F3},
    {"sampling", true, command::sampling, {}, GLFW_KEY_F4},
    {"mipmap", true, command::mipmap, {}, GLFW_KEY_F5},
    {"culling", true, command::culling, {}, GLFW_KEY_F8},
    {"transparency", true, command::transparency, {}, GLFW_KEY_F9},
    {"free-camera-left", true, command::free_yaw_left, {}, GLFW_KEY_LEFT},
    {"free-camera-right", true, command::free_yaw_right, {}, GLFW_KEY_RIGHT},
    {"free-camera-up", true, command::free_pitch_up, {}, GLFW_KEY_Q},
    {"free-camera-down", true, command::free_pitch_down, {}, GLFW_KEY_E},
    {"free-camera-forward", true, command::free_forward, {}, GLFW_KEY_UP},
    {"free-camera-back", true, command::free_backward, {}, GLFW_KEY_DOWN},
    {"full-screen", false, {}, window_action::full_screen, GLFW_KEY_F11},
    {"pause", false, {}, window_action::pause, GLFW_KEY_PAUSE},
    {"level-list", false, {}, window_action::level_list, GLFW_KEY_TAB},
    {"ghost", false, {}, window_action::ghost, GLFW_KEY_G},
    {"edit-level", false, {}, window_action::edit_level, GLFW_KEY_F6},
    {"theatre", false, {}, window_action::theatre, GLFW_KEY_T},
    {"fall-map", false, {}, window_action::fall_map, GLFW_KEY_H},
    {"overview", false, {}, window_action::overview, GLFW_KEY_V},
};
constexpr std::size_t key_row_count = std::size(key_rows);

constexpr bool every_command_once() {
    for (std::size_t c = 0; c < command_count; ++c) {
        if (!key_rows[c].is_command || static_cast<std::size_t>(key_rows[c].action) != c) {
            return false;
        }
    }
    return !key_rows[command_count].is_command;
}
static_assert(every_command_once(), "every command has exactly one key, in command order");

// The keys that drive the menus: never rebound, so a player can always find the way back.
constexpr struct {
    window_action action;
    int key;
} fixed_keys[] = {
    {window_action::confirm, GLFW_KEY_ENTER}, {window_action::confirm, GLFW_KEY_KP_ENTER},
    {window_action::list_up, GLFW_KEY_UP},    {window_action::list_down, GLFW_KEY_DOWN},
    {window_action::menu_left, GLFW_KEY_LEFT}, {window_action::menu_right, GLFW_KEY_RIGHT},
    {window_action::quit, GLFW_KEY_ESCAPE},
    {window_action::practice, GLFW_KEY_P},      {window_action::replay_pause, GLFW_KEY_SPACE},
    {window_action::slower, GLFW_KEY_MINUS},    {window_action::slower, GLFW_KEY_KP_SUBTRACT},
    {window_action::faster, GLFW_KEY_EQUAL},    {window_action::faster, GLFW_KEY_KP_ADD},
    {window_action::left, GLFW_KEY_LEFT},       {window_action::right, GLFW_KEY_RIGHT},
    {window_action::step_forward, GLFW_KEY_PERIOD}, {window_action::step_back, GLFW_KEY_COMMA},
    {window_action::switch_camera, GLFW_KEY_C},
};

// Ctrl+S saves, S alone sets the start: a binding counts only with its own Ctrl and Shift state.
struct editor_binding {
    editor_action action;
    int key;
    bool ctrl;
    const char* help;
    bool shift = false;
};
constexpr editor_binding editor_bindings[] = {
    {editor_action::cursor_left, GLFW_KEY_LEFT, false, nullptr},
    {editor_action::cursor_right, GLFW_KEY_RIGHT, false, nullptr},
    {editor_action::cursor_up, GLFW_KEY_UP, false, nullptr},
    {editor_action::cursor_down, GLFW_KEY_DOWN, false, "Arrows, click: cursor"},
    {editor_action::select_left, GLFW_KEY_LEFT, false, nullptr, true},
    {editor_action::select_right, GLFW_KEY_RIGHT, false, nullptr, true},
    {editor_action::select_up, GLFW_KEY_UP, false, nullptr, true},
    {editor_action::select_down, GLFW_KEY_DOWN, false, "Shift+arrows, drag: select", true},
    {editor_action::raise, GLFW_KEY_PAGE_UP, false, nullptr},
    {editor_action::lower, GLFW_KEY_PAGE_DOWN, false, "PgUp/PgDn: height 0-9"},
    {editor_action::digit_0, GLFW_KEY_0, false, nullptr},
    {editor_action::digit_1, GLFW_KEY_1, false, nullptr},
    {editor_action::digit_2, GLFW_KEY_2, false, nullptr},
    {editor_action::digit_3, GLFW_KEY_3, false, nullptr},
    {editor_action::digit_4, GLFW_KEY_4, false, nullptr},
    {editor_action::digit_5, GLFW_KEY_5, false, nullptr},
    {editor_action::digit_6, GLFW_KEY_6, false, nullptr},
    {editor_action::digit_7, GLFW_KEY_7, false, nullptr},
    {editor_action::digit_8, GLFW_KEY_8, false, nullptr},
    {editor_action::digit_9, GLFW_KEY_9, false, "0-9: set height"},
    {editor_action::clear, GLFW_KEY_DELETE, false, "Delete: clear"},
    {editor_action::copy, GLFW_KEY_C, true, "Ctrl+C/V: copy, paste"},
    {editor_action::paste, GLFW_KEY_V, true, nullptr},
    {editor_action::set_start, GLFW_KEY_S, false, "S: start"},
    {editor_action::set_finish, GLFW_KEY_F, false, "F: finish"},
    {editor_action::toggle_item, GLFW_KEY_I, false, "I: item"},
    {editor_action::toggle_spider, GLFW_KEY_E, false, "E: spider"},
    {editor_action::cycle_facing, GLFW_KEY_O, false, "O: facing"},
    {editor_action::edit_title, GLFW_KEY_T, false, "T: title"},
    {editor_action::edit_hint, GLFW_KEY_N, false, "N: hint"},
    {editor_action::erase_letter, GLFW_KEY_BACKSPACE, false, nullptr},
    {editor_action::undo, GLFW_KEY_Z, true, "Ctrl+Z: undo"},
    {editor_action::redo, GLFW_KEY_Y, true, "Ctrl+Y: redo"},
    {editor_action::save, GLFW_KEY_S, true, "Ctrl+S: save"},
    {editor_action::play_test, GLFW_KEY_F5, false, "F5: play-test"},
    {editor_action::play_from_cursor, GLFW_KEY_F5, false, "Shift+F5: from cursor", true},
    {editor_action::go_to_problem, GLFW_KEY_G, false, "G: go to problem"},
    {editor_action::show_route, GLFW_KEY_R, false, "R: route"},
    {editor_action::switch_view, GLFW_KEY_V, false, "V: 3D view"},
    {editor_action::orbit_left, GLFW_KEY_LEFT_BRACKET, false, nullptr},
    {editor_action::orbit_right, GLFW_KEY_RIGHT_BRACKET, false, "[ ]: orbit"},
    {editor_action::zoom_in, GLFW_KEY_EQUAL, false, nullptr},
    {editor_action::zoom_in, GLFW_KEY_KP_ADD, false, nullptr},
    {editor_action::zoom_out, GLFW_KEY_MINUS, false, nullptr},
    {editor_action::zoom_out, GLFW_KEY_KP_SUBTRACT, false, "+/-, wheel: zoom"},
    {editor_action::grow_columns, GLFW_KEY_RIGHT, true, nullptr},
    {editor_action::shrink_columns, GLFW_KEY_LEFT, true, nullptr},
    {editor_action::grow_rows, GLFW_KEY_DOWN, true, nullptr},
    {editor_action::shrink_rows, GLFW_KEY_UP, true, "Ctrl+arrows: grid size"},
    {editor_action::show_keys, GLFW_KEY_F1, false, nullptr},
    {editor_action::copy_code, GLFW_KEY_C, true, nullptr, true},
};

// The keys that run on while held.
constexpr bool repeats(editor_action a) {
    return a <= editor_action::lower ||
           (a >= editor_action::select_left && a <= editor_action::select_down) ||
           a == editor_action::erase_letter || a == editor_action::orbit_left ||
           a == editor_action::orbit_right;
}

// Gamepad buttons that press a command or a window action, counted when they go down.
struct button_binding {
    int button;
    bool is_command;
    command action;
    window_action shell_action;
};
constexpr button_binding button_bindings[] = {
    {GLFW_GAMEPAD_BUTTON_A, true, command::flip, {}},
    {GLFW_GAMEPAD_BUTTON_B, true, command::restart, {}},
    {GLFW_GAMEPAD_BUTTON_A, false, {}, window_action::menu_accept},
    {GLFW_GAMEPAD_BUTTON_B, false, {}, window_action::menu_back},
    {GLFW_GAMEPAD_BUTTON_START, false, {}, window_action::pad_start},
    {GLFW_GAMEPAD_BUTTON_BACK, false, {}, window_action::level_list},
    {GLFW_GAMEPAD_BUTTON_DPAD_UP, false, {}, window_action::list_up},
    {GLFW_GAMEPAD_BUTTON_DPAD_DOWN, false, {}, window_action::list_down},
    {GLFW_GAMEPAD_BUTTON_DPAD_LEFT, false, {}, window_action::menu_left},
    {GLFW_GAMEPAD_BUTTON_DPAD_RIGHT, false, {}, window_action::menu_right},
};
void on_key(GLFWwindow* window, int key, int /*scancode*/, int action, int mods) {
    auto* input = static_cast<key_input*>(glfwGetWindowUserPointer(window));
    if (input != nullptr && action == GLFW_PRESS) {
        input->key_pressed(key, mods);
    } else if (input != nullptr && action == GLFW_REPEAT) {
        input->key_repeated(key, mods);
    }
}

void on_char(GLFWwindow* window, unsigned codepoint) {
    if (auto* input = static_cast<key_input*>(glfwGetWindowUserPointer(window))) {
        input->typed(codepoint);
    }
}

void on_scroll(GLFWwindow* window, double /*x*/, double y) {
    if (auto* input = static_cast<key_input*>(glfwGetWindowUserPointer(window))) {
        input->scrolled(y);
    }
}

void on_mouse(GLFWwindow* window, int button, int action, int /*mods*/) {
    auto* input = static_cast<key_input*>(glfwGetWindowUserPointer(window));
    int width = 0;
    int height = 0;
    glfwGetWindowSize(window, &width, &height);
    if (input == nullptr || button != GLFW_MOUSE_BUTTON_LEFT || action != GLFW_PRESS) {
        return;
    }
    // The menus count clicks and read the pointer themselves; the editor takes the click where
    // it was, as a share of the window.
    input->mouse_clicked();
    if (width <= 0 || height <= 0) {
        return;
    }
    double x = 0.0;
    double y = 0.0;
    glfwGetCursorPos(window, &x, &y);
    input->clicked({static_cast<float>(x / width), static_cast<float>(y / height)});
}

void on_focus(GLFWwindow* window, int focused) {
    auto* input = static_cast<key_input*>(glfwGetWindowUserPointer(window));
    if (input != nullptr) {
        input->set_focused(focused == GLFW_TRUE);
    }
}

}  // namespace

int key_for(command c) {
    return key_rows[static_cast<std::size_t>(c)].key;
}

std::vector<key_binding> default_key_bindings() {
    std::vector<key_binding> bound;
    for (const key_row& row : key_rows) {
        bound.push_back({row.name, key_name(row.key)});
    }
    return bound;
}

std::string key_name(int key) {
    if ((key >= GLFW_KEY_A && key <= GLFW_KEY_Z) || (key >= GLFW_KEY_0 && key <= GLFW_KEY_9)) {
        return std::string(1, static_cast<char>(key));
    }
    if (key >= GLFW_KEY_F1 && key <= GLFW_KEY_F25) {
        return "F" + std::to_string(key - GLFW_KEY_F1 + 1);
    }
    if (key >= GLFW_KEY_KP_0 && key <= GLFW_KEY_KP_9) {
        return "KP" + std::to_string(key - GLFW_KEY_KP_0);
    }
    static const std::pair<int, const char*> named[] = {
        {GLFW_KEY_SPACE, "Space"},         {GLFW_KEY_APOSTROPHE, "'"},
        {GLFW_KEY_COMMA, ","},             {GLFW_KEY_MINUS, "-"},
        {GLFW_KEY_PERIOD, "."},            {GLFW_KEY_SLASH, "/"},
        {GLFW_KEY_SEMICOLON, ";"},         {GLFW_KEY_EQUAL, "="},
        {GLFW_KEY_LEFT_BRACKET, "["},      {GLFW_KEY_BACKSLASH, "\\"},
        {GLFW_KEY_RIGHT_BRACKET, "]"},     {GLFW_KEY_GRAVE_ACCENT, "`"},
        {GLFW_KEY_ESCAPE, "Escape"},       {GLFW_KEY_ENTER, "Enter"},
        {GLFW_KEY_TAB, "Tab"},             {GLFW_KEY_BACKSPACE, "Backspace"},
        {GLFW_KEY_INSERT, "Insert"},       {GLFW_KEY_DELETE, "Delete"},
        {GLFW_KEY_RIGHT, "Right"},         {GLFW_KEY_LEFT, "Left"},
        {GLFW_KEY_DOWN, "Down"},           {GLFW_KEY_UP, "Up"},
        {GLFW_KEY_PAGE_UP, "PageUp"},      {GLFW_KEY_PAGE_DOWN, "PageDown"},
        {GLFW_KEY_HOME, "Home"},           {GLFW_KEY_END, "End"},
        {GLFW_KEY_PAUSE, "Pause"},         {GLFW_KEY_KP_DECIMAL, "KP."},
        {GLFW_KEY_KP_DIVIDE, "KP/"},       {GLFW_KEY_KP_MULTIPLY, "KP*"},
        {GLFW_KEY_KP_SUBTRACT, "KP-"},     {GLFW_KEY_KP_ADD, "KP+"},
        {GLFW_KEY_KP_ENTER, "KPEnter"},    {GLFW_KEY_KP_EQUAL, "KP="},
        {GLFW_KEY_LEFT_SHIFT, "LeftShift"}, {GLFW_KEY_LEFT_CONTROL, "LeftControl"},
        {GLFW_KEY_LEFT_ALT, "LeftAlt"},    {GLFW_KEY_RIGHT_SHIFT, "RightShift"},
        {GLFW_KEY_RIGHT_CONTROL, "RightControl"}, {GLFW_KEY_RIGHT_ALT, "RightAlt"},
        {GLFW_KEY_MENU, "Menu"},
    };
    for (const auto& [code, name] : named) {
        if (code == key) {
            return name;
        }
    }
    return {};
}

int key_code(const std::string& name) {
    for (int key = GLFW_KEY_SPACE; key <= GLFW_KEY_LAST && !name.empty(); ++key) {
        if (key_name(key) == name) {
            return key;
        }
    }
    return GLFW_KEY_UNKNOWN;
}

static_assert(no_key == GLFW_KEY_UNKNOWN, "take_key hands on GLFW's own code for no key");

bool is_escape(int key) {
    return key == GLFW_KEY_ESCAPE;
}

key_input::key_input(GLFWwindow* window) : window_(window) {
    for (const key_row& row : key_rows) {
        keys_.push_back(row.key);
    }
    if (window_ != nullptr) {
        glfwSetWindowUserPointer(window_, this);
        glfwSetKeyCallback(window_, on_key);
        glfwSetMouseButtonCallback(window_, on_mouse);
        glfwSetWindowFocusCallback(window_, on_focus);
        glfwSetCharCallback(window_, on_char);
        glfwSetScrollCallback(window_, on_scroll);
    }
}

key_input::~key_input() {
    if (window_ != nullptr) {
        glfwSetKeyCallback(window_, nullptr);
        glfwSetMouseButtonCallback(window_, nullptr);
        glfwSetWindowFocusCallback(window_, nullptr);
        glfwSetCharCallback(window_, nullptr);
        glfwSetScrollCallback(window_, nullptr);
        glfwSetWindowUserPointer(window_, nullptr);
    }
}

const char* const* editor_key_help(int* count) {
    static const auto lines = [] {
        std::vector<const char*> kept;
        for (const auto& b : editor_bindings) {
            if (b.help != nullptr) {
                kept.push_back(b.help);
            }
        }
        kept.push_back("Esc: quit");
        return kept;
    }();
    *count = static_cast<int>(lines.size());
    return lines.data();
}

void key_input::key_pressed(int key, int mods) {
    last_key_ = key;
    const bool ctrl = (mods & GLFW_MOD_CONTROL) != 0;
    const bool shift = (mods & GLFW_MOD_SHIFT) != 0;
    for (const auto& b : editor_bindings) {
        if (b.key == key && b.ctrl == ctrl && b.shift == shift) {
            ++editor_presses_[static_cast<int>(b.action)];
        }
    }
    for (std::size_t i = 0; i < key_row_count; ++i) {
        if (keys_[i] != key) {
            continue;
        }
        if (key_rows[i].is_command) {
            pending_.press(key_rows[i].action);
        } else {
            count_press(key_rows[i].shell_action);
        }
    }
    for (const auto& b : fixed_keys) {
        if (b.key == key) {
            count_press(b.action);
        }
    }
    if (ctrl && (key == GLFW_KEY_C || key == GLFW_KEY_V)) {
        count_press(key == GLFW_KEY_C ? window_action::copy_code : window_action::paste_code);
    }
}

void key_input::count_press(window_action action) {
    ++window_presses_[static_cast<int>(action)];
    // Presses nobody takes (a key with no meaning on the screen shown) must not pile up.
    constexpr std::size_t kept = 64;
    if (press_order_.size() == kept) {
        press_order_.erase(press_order_.begin());
    }
    press_order_.push_back(action);
}

int key_input::take(window_action action) {
    const int presses = window_presses_[static_cast<int>(action)];
    window_presses_[static_cast<int>(action)] = 0;
    press_order_.erase(std::remove(press_order_.begin(), press_order_.end(), action),
                       press_order_.end());
    return presses;
}

std::optional<window_action> key_input::take_first_of(const std::vector<window_action>& among) {
    const auto wanted = [&among](window_action a) {
        return std::find(among.begin(), among.end(), a) != among.end();
    };
    std::optional<window_action> first;
    const auto in_order = std::find_if(press_order_.begin(), press_order_.end(), wanted);
    if (in_order != press_order_.end()) {
        first = *in_order;
        press_order_.erase(in_order);
    } else {
        // Counted presses whose place in the order has been forgotten come after the rest.
        const auto counted = std::find_if(among.begin(), among.end(), [this](window_action a) {
            return window_presses_[static_cast<int>(a)] > 0;
        });
        if (counted == among.end()) {
            return std::nullopt;
        }
        first = *counted;
    }
    --window_presses_[static_cast<int>(*first)];
    return first;
}

void key_input::bind(const std::vector<key_binding>& bound) {
    for (const key_binding& b : bound) {
        const int key = key_code(b.key);
        for (std::size_t i = 0; i < key_row_count && key != GLFW_KEY_UNKNOWN; ++i) {
            if (b.action == key_rows[i].name) {
                keys_[i] = key;
            }
        }
    }
}

void key_input::key_repeated(int key, int mods) {
    const bool ctrl = (mods & GLFW_MOD_CONTROL) != 0;
    const bool shift = (mods & GLFW_MOD_SHIFT) != 0;
    for (const auto& b : editor_bindings) {
        if (b.key == key && b.ctrl == ctrl && b.shift == shift && repeats(b.action)) {
            ++editor_presses_[static_cast<int>(b.action)];
        }
    }
}

std::vector<key_binding> key_input::bindings() const {
    std::vector<key_binding> bound;
    for (std::size_t i = 0; i < key_row_count; ++i) {
        bound.push_back({key_rows[i].name, key_name(keys_[i])});
    }
    return bound;
}

std::string key_input::bound_key_name(window_action action) const {
    for (std::size_t i = 0; i < key_row_count; ++i) {
        if (!key_rows[i].is_command && key_rows[i].shell_action == action) {
            return key_name(keys_[i]);
        }
    }
    return {};
}

int key_input::take_key() {
    const int key = last_key_;
    last_key_ = no_key;
    return key;
}

bool key_input::held(window_action action) const {
    const auto down = [this](int key) {
        return window_ != nullptr && glfwGetKey(window_, key) == GLFW_PRESS;
    };
    for (std::size_t i = 0; i < key_row_count; ++i) {
        if (!key_rows[i].is_command && key_rows[i].shell_action == action && down(keys_[i])) {
            return true;
        }
    }
    for (const auto& b : fixed_keys) {
        if (b.action == action && down(b.key)) {
            return true;
        }
    }
    return false;
}

void key_input::cursor(double& x, double& y) const {
    x = y = -1.0;
    if (scripted_pointer_) {
        x = scripted_pointer_->first;
        y = scripted_pointer_->second;
    } else if (window_ != nullptr) {
        glfwGetCursorPos(window_, &x, &y);
    }
}

void key_input::capture_pointer(bool on) {
    if (on == captured_) {
        return;
    }
    captured_ = on;
    if (window_ != nullptr) {
        glfwSetInputMode(window_, GLFW_CURSOR, on ? GLFW_CURSOR_DISABLED : GLFW_CURSOR_NORMAL);
#ifndef __EMSCRIPTEN__
        if (glfwRawMouseMotionSupported() == GLFW_TRUE) {
            glfwSetInputMode(window_, GLFW_RAW_MOUSE_MOTION, on ? GLFW_TRUE : GLFW_FALSE);
        }
#endif
    }
    double y = 0.0;
    cursor(pointer_x_, y);
    touch_.drop_steer();
}

double key_input::take_pointer_dx() {
    const double finger = touch_.take_steer_dx();
    if (!captured_) {
        return 0.0;
    }
    double x = 0.0;
    double y = 0.0;
    cursor(x, y);
    const double dx = x - pointer_x_;
    pointer_x_ = x;
    return (std::isfinite(dx) ? dx : 0.0) + finger;
}

void key_input::window_size(int& width, int& height) const {
    if (window_ != nullptr) {
        glfwGetWindowSize(window_, &width, &height);
    }
}

int key_input::take_clicks() {
    const int clicks = clicks_;
    clicks_ = 0;
    return clicks;
}

int key_input::take(editor_action action) {
    const int presses = editor_presses_[static_cast<int>(action)];
    editor_presses_[static_cast<int>(action)] = 0;
    return presses;
}

void key_input::drop_editor_presses() {
    std::fill(std::begin(editor_presses_), std::end(editor_presses_), 0);
    click_.reset();
    typed_.clear();
    scroll_ = 0.0;
}

void key_input::typed(unsigned codepoint) {
    // The HUD's font draws ASCII; a title or hint keeps to what it can show. The buffer is
    // bounded so that a stuck key cannot grow it between two frames.
    if (codepoint >= 32 && codepoint < 127 && typed_.size() < 256) {
        typed_.push_back(static_cast<char>(codepoint));
    }
}

std::string key_input::take_typed() {
    std::string text;
    text.swap(typed_);
    return text;
}

double key_input::take_scroll() {
    const double steps = scroll_;
    scroll_ = 0.0;
    return steps;
}

bool key_input::mouse_held(bool right) const {
    return window_ != nullptr &&
           glfwGetMouseButton(window_, right ? GLFW_MOUSE_BUTTON_RIGHT : GLFW_MOUSE_BUTTON_LEFT) ==
               GLFW_PRESS;
}

std::optional<pointer_click> key_input::take_click() {
    std::optional<pointer_click> click = click_;
    click_.reset();
    return click;
}

void key_input::poll_gamepads() {
    // The d-pad steers as the stick does, all the way. Every
    // gamepad that is plugged in right now drives the ball, so plugging one in or out during
    // play just works.
    gamepad_held_ = frame_input();
    gamepad_held_.push_amount = 0;
    gamepad_held_.turn_amount = 0;
    unsigned buttons_down = 0;
    // Past the dead zone a stick's share grows with its tilt up to the whole. A push starts at
    // 0.6, about where the ball's rolling friction gives way, so a slight tilt creeps; a turn has
    // no such threshold and starts at a quarter.
    const float dead_zone = dead_zone_;
    const auto amount = [dead_zone](float tilt, bool pad_down, float least) {
        const float beyond = (std::fabs(tilt) - dead_zone) / (1.0f - dead_zone);
        const float share = pad_down ? 1.0f : least + (1.0f - least) * std::min(1.0f, beyond);
        return static_cast<std::uint8_t>(beyond > 0.0f || pad_down ? std::lround(share * 255.0f)
                                                                   : 0);
    };
    for (int pad = GLFW_JOYSTICK_1; pad <= GLFW_JOYSTICK_LAST; ++pad) {
        GLFWgamepadstate state;
        if (glfwJoystickIsGamepad(pad) == GLFW_FALSE || glfwGetGamepadState(pad, &state) == 0) {
            continue;
        }
        const float x = state.axes[GLFW_GAMEPAD_AXIS_LEFT_X];
        const float y = state.axes[GLFW_GAMEPAD_AXIS_LEFT_Y];
        const auto down = [&state](int button) { return state.buttons[button] == GLFW_PRESS; };
        const auto hold_if = [this](command c, bool held) {
            if (held) {
                gamepad_held_.hold(c);
            }
        };
        hold_if(command::forward, y < -dead_zone || down(GLFW_GAMEPAD_BUTTON_DPAD_UP));
        hold_if(command::back, y > dead_zone || down(GLFW_GAMEPAD_BUTTON_DPAD_DOWN));
        hold_if(command::turn_left, x < -dead_zone || down(GLFW_GAMEPAD_BUTTON_DPAD_LEFT));
        hold_if(command::turn_right, x > dead_zone || down(GLFW_GAMEPAD_BUTTON_DPAD_RIGHT));
        const bool pad_push =
            down(GLFW_GAMEPAD_BUTTON_DPAD_UP) || down(GLFW_GAMEPAD_BUTTON_DPAD_DOWN);
        const bool pad_turn =
            down(GLFW_GAMEPAD_BUTTON_DPAD_LEFT) || down(GLFW_GAMEPAD_BUTTON_DPAD_RIGHT);
        gamepad_held_.push_amount = std::max(gamepad_held_.push_amount, amount(y, pad_push, 0.6f));
        gamepad_held_.turn_amount = std::max(gamepad_held_.turn_amount, amount(x, pad_turn, 0.25f));
        for (std::size_t b = 0; b < std::size(button_bindings); ++b) {
            if (down(button_bindings[b].button)) {
                buttons_down |= 1u << b;
            }
        }
    }
    // Buttons are read once a frame: a press is a button that went down since the last poll.
    for (std::size_t b = 0; b < std::size(button_bindings); ++b) {
        const button_binding& binding = button_bindings[b];
        if ((buttons_down & ~gamepad_buttons_down_ & (1u << b)) == 0) {
            continue;
        }
        if (binding.is_command) {
            pending_.press(binding.action);
        } else {
            count_press(binding.shell_action);
        }
    }
    gamepad_buttons_down_ = buttons_down;
}

frame_input key_input::sample(double time) {
    frame_input input = pending_;
    pending_ = frame_input();
    input.time = time;
    bool keys_push = false;
    bool keys_turn = false;
    for (std::size_t i = 0; i < command_count; ++i) {
        const command c = key_rows[i].action;
        // A tap that began and ended within the frame holds its command for this one frame.
        // A finger on the right half of a touch screen pushes as the forward key does.
        const bool down = (window_ != nullptr && glfwGetKey(window_, keys_[i]) == GLFW_PRESS) ||
                          (c == command::forward && touch_.pushing());
        input.hold(c, down || input.pressed(c) > 0 || gamepad_held_.is_held(c));
        if (down && (c == command::forward || c == command::back)) {
            keys_push = true;
        } else if (down && (c == command::turn_left || c == command::turn_right)) {
            keys_turn = true;
        }
    }
    // Keys push and turn all the way; a stick alone as far as it is tilted.
    if (!keys_push && gamepad_held_.push_amount > 0) {
        input.push_amount = gamepad_held_.push_amount;
    }
    if (!keys_turn && gamepad_held_.turn_amount > 0) {
        input.turn_amount = gamepad_held_.turn_amount;
    }
    return input;
}

}  // namespace quillomar
