#version 330 core
// Depth statistics of one covered texel: (coverage * depth, coverage * depth^2, coverage, 1)
// with coverage 1. The cleared map reads (0, 0, 0, 1): no caster. After the blur the coverage
// channel tells how much of the neighbourhood is occupied, and the first two channels divided by
// it give the mean and second moment of the casters alone, so the empty surroundings do not pull
// the mean away and shrink the shadows.
in float light_depth;

out vec4 moments;

void main() {
    float dx = dFdx(light_depth);
    float dy = dFdy(light_depth);
    // The slope term widens the variance on steep surfaces and keeps them from shadowing
    // themselves.
    moments = vec4(light_depth, light_depth * light_depth + 0.25 * (dx * dx + dy * dy), 1.0, 1.0);
}
