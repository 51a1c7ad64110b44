// Fingers on a touch screen in play: one on the left half of the picture steers as far as it
// moves sideways, one on the right half pushes forward while it stays down. The page reports
// each finger in its own pixels (CSS pixels, so a finger's reach is the same on every screen);
// key_input reads the push and the steer beside the keys and the mouse.
#pragma once

#include <array>

namespace quillomar {

// A finger's sideways pixel turns the heading as this many of the mouse's pixels do: about 90
// degrees for a thumb's sweep of 200 pixels at the mouse's sensitivity out of the box.
inline constexpr double finger_to_mouse_pixels = 2.5;

class touch_input {
public:
    // A finger `id` touched down at `x` pixels from the picture's left edge, `width` pixels
    // wide. Nonsense (a size or place that is no number, an id already down, more fingers than
    // a hand has) is ignored.
    void finger_down(int id, double x, double width);
    // The finger moved to `x`; an unknown finger or a place that is no number is ignored.
    void finger_moved(int id, double x);
    void finger_up(int id);
    // Every finger lifted (the page lost them, play ended).
    void lift_all();

    // Whether a finger holds the right half down.
    bool pushing() const;
    // The steering fingers' sideways movement since the last call, in the mouse's pixels.
    double take_steer_dx();
    // Forgets the movement so far (play starts or stops steering).
    void drop_steer() { steer_dx_ = 0.0; }

private:
    struct finger {
        int id = 0;
        bool down = false;
        bool steers = false;  // on the left half; else it pushes
        double x = 0.0;
    };
    finger* find(int id);

    std::array<finger, 10> fingers_{};
    double steer_dx_ = 0.0;
};

}  // namespace quillomar
