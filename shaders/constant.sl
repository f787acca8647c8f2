// The surface's own colour, whatever the light.
surface constant() {
    Oi = Os;
    Ci = Os * Cs;
}
