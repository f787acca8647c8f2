// Fades to the background linearly in depth between the two distances, as
// depth() measures them between the clipping planes.
volume depthcue(float mindistance = 0; float maxdistance = 1; color background = 0) {
    float d = clamp((depth(P) - mindistance) / (maxdistance - mindistance), 0, 1);
    Ci = mix(Ci, background, d);
    Oi = mix(Oi, color(1, 1, 1), d);
}
