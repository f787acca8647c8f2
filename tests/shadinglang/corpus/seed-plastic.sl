#define ROUGH 0.1
surface shiny(float Ka = 1, Kd = .5, Ks = .5; float roughness = ROUGH;
              color specularcolor = 1; output varying float glow = 0)
{
    normal Nf = faceforward(normalize(N), I);
    vector V = -normalize(I);
    Oi = Os;
    Ci = Os * (Cs * (Ka * ambient() + Kd * diffuse(Nf)) +
               specularcolor * Ks * specular(Nf, V, roughness));
}
