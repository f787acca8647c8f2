#ifndef PI
#define PI 3.14159265
#endif
float falloff(float d; output float seen) { seen = 1; return 1 / (d * d); }
light beam(float intensity = 1; color lightcolor = 1;
           point from = point "shader" (0, 0, 0), to = point "shader" (0, 0, 1);
           float coneangle = radians(30))
{
    uniform vector A = (to - from) / length(to - from);
    float seen, i;
    illuminate(from, A, coneangle) {
        for (i = 0; i < 2; i += 1) { if (i > 0) break; }
        Cl = intensity * lightcolor * falloff(length(L), seen) * smoothstep(0, 1, L . A);
    }
}
