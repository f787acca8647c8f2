// Light from nowhere in particular, the same everywhere.
light ambientlight(float intensity = 1; color lightcolor = 1) {
    Cl = intensity * lightcolor;
}
