// Moves the surface along its normal by a texture map's value.
displacement bumpy(float Km = 1; string texturename = "") {
    if (texturename != "") {
        float height = Km * float texture(texturename, s, t);
        P += height * normalize(N);
        N = calculatenormal(P);
    }
}
