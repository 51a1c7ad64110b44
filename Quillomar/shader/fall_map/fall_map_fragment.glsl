#version 330 core
// The cell's colour as it is: the overlay is blended over the lit level.
in vec4 cell_color;

out vec4 color;

void main() {
    color = cell_color;
}
