// A metal that also mirrors an environment map.
surface shinymetal(float Ka = 1; float Ks = 1; float Kr = 1; float roughness = .1;
                   string texturename = "") {
    normal Nf = faceforward(normalize(N), I);
    vector V = -normalize(I);
    color mirrored = 0;
    if (texturename != "") {
        vector D = vtransform("world", reflect(I, Nf));
        mirrored = Kr * color environment(texturename, D);
    }
    Oi = Os;
    Ci = Os * Cs * (Ka * ambient() + Ks * specular(Nf, V, roughness) + mirrored);
}
