// The one place where keys and gamepad buttons become commands. The shell collects the window's
// key presses as they happen (so a tap shorter than a frame still counts) and reads the held keys
// and the gamepads once a frame.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "framework/touch_input.h"
#include "game/commands.h"
#include "records/settings.h"

struct GLFWwindow;

namespace quillomar {

// The GLFW key that drives a command by default.
int key_for(command c);

// The keys the player may rebind, by their settings names, with their default keys, in the order
// the Controls page lists them: every command, then the window's own actions. Enter, the arrows
// Up and Down and Escape drive the menus and cannot be moved, so a player can always get back.
std::vector<key_binding> default_key_bindings();

// The key's name as settings.txt and the HUD write it ("W", "Space", "F11", "Left"), and back;
// empty or GLFW_KEY_UNKNOWN for a key the game has no name for.
std::string key_name(int key);
int key_code(const std::string& name);

// What key_input::take_key says when no key was pressed.
inline constexpr int no_key = -1;
// Whether the key is Escape, which leaves menus and screens wherever the other keys are bound.
bool is_escape(int key);

// What keys and buttons ask of the shell rather than of the game's rules: the window, the pause,
// the ghost ball, the level list (Enter takes the end-of-game and list choice), and quitting.
enum class window_action {
    full_screen,
    pause,
    confirm,
    level_list,
    list_up,
    list_down,
    ghost,
    // The menus' own: Left and Right change a value; a gamepad's A, B and Start.
    menu_left,
    menu_right,
    menu_accept,
    menu_back,
    pad_start,
    edit_level,
    quit,
    // The replay theatre (open and close), the fall map, practice (from a replay's moment, or
    // from the level list at a reached cell), and the theatre's controls; Left and Right also
    // choose the list's practice cell.
    theatre,
    fall_map,
    practice,
    replay_pause,
    slower,
    faster,
    left,
    right,
    step_forward,
    step_back,
    // While held, the whole level seen from above.
    overview,
    switch_camera,
    // Ctrl+C and Ctrl+V (with or without Shift): the code of a level to and from the clipboard.
    copy_code,
    paste_code,
};
inline constexpr int window_action_count = static_cast<int>(window_action::paste_code) + 1;

// The level editor's keys. They are counted beside the play keys they share a key with (S, E,
// the arrows, F5); only the mode that is active takes them.
enum class editor_action {
    cursor_left,
    cursor_right,
    cursor_up,
    cursor_down,
    raise,
    lower,
    set_start,
    set_finish,
    toggle_item,
    toggle_spider,
    cycle_facing,
    undo,
    redo,
    save,
    play_test,
    // Shift with the arrows grows the selection from the cursor; the rest act on it (or on the
    // cursor cell without one).
    select_left,
    select_right,
    select_up,
    select_down,
    digit_0,  // digit_0 + d: the digit key d sets the height d
    digit_1,
    digit_2,
    digit_3,
    digit_4,
    digit_5,
    digit_6,
    digit_7,
    digit_8,
    digit_9,
    clear,
    copy,
    paste,
    play_from_cursor,
    edit_title,
    edit_hint,
    erase_letter,
    go_to_problem,
    show_route,
    switch_view,
    zoom_in,
    zoom_out,
    grow_columns,
    grow_rows,
    shrink_columns,
    shrink_rows,
    orbit_left,
    orbit_right,
    show_keys,
    // Ctrl+Shift+C: the level's code to the clipboard (Ctrl+C copies cells in the editor).
    copy_code,
};
inline constexpr int editor_action_count = static_cast<int>(editor_action::copy_code) + 1;

// A left click, as a fraction of the window across and down from its top-left corner.
struct pointer_click {
    float x = 0.0f;
    float y = 0.0f;
};

// What the editor's HUD lists: its keys and what they do, one short line each.
const char* const* editor_key_help(int* count);

// Collects presses from the window's key callback between two frames, and whether the window
// has the focus.
class key_input {
public:
    // Installs the key callback on the window; the object must outlive the window's use.
    explicit key_input(GLFWwindow* window);
    ~key_input();
    key_input(const key_input&) = delete;
    key_input& operator=(const key_input&) = delete;

    // Reads the gamepads once a frame, before take and sample: their buttons' presses and what
    // their sticks and pads hold. Gamepads plugged in or out since the last frame just count or
    // stop counting.
    void poll_gamepads();

    // The frame record at `time`: the commands held now and the presses since the last call.
    frame_input sample(double time);

    // Counts one press of the key (what the callback does for GLFW_PRESS); `mods` are GLFW's
    // modifier bits, which only the editor's Ctrl and Shift keys look at.
    void key_pressed(int key, int mods = 0);
    // A held key's repeat: only the editor's cursor, selection, height and Backspace keys run on.
    void key_repeated(int key, int mods = 0);
    // A character typed (the char callback); the editor's text entry takes them.
    void typed(unsigned codepoint);
    // The printable ASCII characters typed since the last call.
    std::string take_typed();
    // Mouse wheel steps since the last call, up positive.
    void scrolled(double steps) { scroll_ += steps; }
    double take_scroll();
    // Whether the left or the right mouse button is held down now.
    bool mouse_held(bool right) const;
    // Keeps a left click (what the mouse button callback does); the latest one wins.
    void clicked(pointer_click where) { click_ = where; }

    // The presses of the action since the last call.
    int take(window_action action);
    // The earliest press since the last call of any of `among`, taken alone; the later ones stay
    // for the next call. A menu that a press leaves (Enter opening a list) thus hands the presses
    // made after it to the screen it opened, as typed, however many came in one slow frame.
    std::optional<window_action> take_first_of(const std::vector<window_action>& among);
    int take(editor_action action);
    // The click since the last call, if any.
    std::optional<pointer_click> take_click();
    // Forgets the editor's presses and click, made while another mode had the keys.
    void drop_editor_presses();

    // Binds each named action of `bound` to its key (by name); a name or key the game does not
    // know leaves that action's key as it was.
    void bind(const std::vector<key_binding>& bound);
    // The keys in force, in default_key_bindings' order.
    std::vector<key_binding> bindings() const;
    // The name of the key bound to the action now.
    std::string bound_key_name(window_action action) const;
    // The latest key pressed since the last call, no_key when none.
    int take_key();
    // Whether a key of the action is held down now.
    bool held(window_action action) const;

    // A stick counts as tilted past this share of its way.
    void set_dead_zone(float share) { dead_zone_ = share; }

    // Where the mouse pointer is, in window pixels from the top-left corner; and the left
    // button's clicks since the last call.
    void cursor(double& x, double& y) const;
    // Puts the pointer there in place of the window's, for scripts and tests.
    void move_pointer(double x, double y) { scripted_pointer_ = {x, y}; }
    int take_clicks();
    void mouse_clicked() { ++clicks_; }
    // In play the pointer is captured: hidden and held by the window, so that moving it steers
    // however far it goes. Released, it is the menus' pointer again.
    void capture_pointer(bool on);
    bool pointer_captured() const { return captured_; }
    // The pointer's sideways movement in pixels since the last call while captured, a steering
    // finger's with it; 0 while not.
    double take_pointer_dx();
    // The fingers on a touch screen: the page reports them, sample and take_pointer_dx read them.
    touch_input& touch() { return touch_; }
    // A press made elsewhere than on a key (the page's buttons over the picture).
    void press(command c) { pending_.press(c); }
    void press(window_action action) { count_press(action); }
    // The window's size in pixels; unchanged without a window.
    void window_size(int& width, int& height) const;

    // False once the window has lost the focus, until it has it again.
    bool focused() const { return focused_; }
    void set_focused(bool focused) { focused_ = focused; }

private:
    GLFWwindow* window_;
    frame_input pending_;
    frame_input gamepad_held_;  // the commands the gamepads hold this frame
    unsigned gamepad_buttons_down_ = 0;  // bit per button, as of the last poll
    void count_press(window_action action);
    int window_presses_[window_action_count] = {};
    std::vector<window_action> press_order_;  // the presses counted, as they came
    int editor_presses_[editor_action_count] = {};
    std::optional<pointer_click> click_;
    std::optional<std::pair<double, double>> scripted_pointer_;
    bool focused_ = true;
    std::vector<int> keys_;  // the key of each of default_key_bindings' actions
    std::string typed_;
    double scroll_ = 0.0;
    int last_key_ = no_key;
    int clicks_ = 0;
    float dead_zone_ = 0.33f;
    bool captured_ = false;
    double pointer_x_ = 0.0;  // where the captured pointer was at the last take_pointer_dx
    touch_input touch_;
};

}  // namespace quillomar
